-- Day jobs over Monday and Tuesday.
--   1: IN 22:00 Monday, OUT 06:00 Tuesday: Monday closes at 23:59:25.440, Tuesday starts 00:00.
--   2: Monday is closed already: Tuesday's OUT stands alone (In1 stays empty).
--   3: Monday's second pair is the open one and is the one closed.
--   4: Tuesday already has an IN before the OUT: no carry-over, Monday stays open.
-- Every clocking is placed in one of the days, so none is logged; Ben's lone Tuesday OUT and
-- Dot's open Monday are days with an incomplete pair.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES
  (1, 'Ann', '0821', 'P1', 1), (2, 'Ben', '0822', 'P2', 1), (3, 'Cid', '0823', 'P3', 1), (4, 'Dot', '0824', 'P4', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO) VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4), ('2024-04-02', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '08:00:00', '0822', 'IN', 0),
  ('2024-04-01', '08:00:00', '0823', 'IN', 0),
  ('2024-04-01', '12:00:00', '0823', 'OUT', 0),
  ('2024-04-01', '17:00:00', '0822', 'OUT', 0),
  ('2024-04-01', '22:00:00', '0821', 'IN', 0),
  ('2024-04-01', '22:00:00', '0823', 'IN', 0),
  ('2024-04-01', '22:00:00', '0824', 'IN', 0),
  ('2024-04-02', '05:00:00', '0824', 'IN', 0),
  ('2024-04-02', '06:00:00', '0821', 'OUT', 0),
  ('2024-04-02', '06:00:00', '0822', 'OUT', 0),
  ('2024-04-02', '06:00:00', '0823', 'OUT', 0),
  ('2024-04-02', '06:00:00', '0824', 'OUT', 0);
