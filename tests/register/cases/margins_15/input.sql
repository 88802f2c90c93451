-- Slot 2 (Monday's Shift2 is 2) from 06:00 to 14:00, WorkEarly and WorkLate 5, with the
-- same-day margins EARLY_MINUTES and LATE_MINUTES at 15 (see the file margins).
--   1: IN 05:50 and OUT 14:05, a worker a little early and a little late.
--   2: IN 05:45 and OUT 14:15, on the edges of a margin of 15.
--   3: IN 05:44:59 and OUT 14:15:01, just outside a margin of 15.
-- At 0 only the shift itself counts on the same day: nothing is placed. At 15 the first two
-- are placed and the third is not.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate) VALUES
  (1, 'Ann', '0711', 'P1', 2, 5, 5), (2, 'Ben', '0722', 'P2', 2, 5, 5), (3, 'Cid', '0733', 'P3', 2, 5, 5);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (2, '06:00:00', '14:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '05:44:59', '0733', 'IN', 0),
  ('2024-04-01', '05:45:00', '0722', 'IN', 0),
  ('2024-04-01', '05:50:00', '0711', 'IN', 0),
  ('2024-04-01', '14:05:00', '0711', 'OUT', 0),
  ('2024-04-01', '14:15:00', '0722', 'OUT', 0),
  ('2024-04-01', '14:15:01', '0733', 'OUT', 0);
