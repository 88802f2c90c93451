-- Shift 2 (Monday's Shift2 is 2, so slot 2): 06:00 to 14:00, WorkEarly 1. An early start is
-- taken only from the day before: 05:50 the same morning is not placed. 06:00 and 14:00 are
-- the shift's own bounds; 14:01 is after it (slot 2 has no late finish).
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate) VALUES (1, 'Max Morning', '0850', 'P50', 2, 1, 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (2, '06:00:00', '14:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '05:50:00', '0850', 'IN', 0),
  ('2024-04-01', '06:00:00', '0850', 'IN', 0),
  ('2024-04-01', '14:00:00', '0850', 'OUT', 0),
  ('2024-04-01', '14:01:00', '0850', 'OUT', 0);
