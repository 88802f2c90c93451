-- Monday's ShiftNo is 0: the day job's Monday has slot 0 and takes nothing. Employee 2 has
-- no shift at all: his days have no slot and his clocking is logged, once.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0821', 'P1', 1), (2, 'Ben', '0822', 'P2', NULL);
INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO) VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 0, 2, 4), ('2024-04-02', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '08:00:00', '0821', 'IN', 0),
  ('2024-04-01', '09:00:00', '0822', 'IN', 0),
  ('2024-04-02', '08:00:00', '0821', 'IN', 0);
