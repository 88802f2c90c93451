-- Shift 5 on a Monday whose Shift3 is 4 (slot 5): 14:00 to 22:00, WorkLate 3. A late finish
-- is taken only from the day after: the OUT at 22:05 the same evening is not placed.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate) VALUES (1, 'Lou Late', '0860', 'P60', 5, 3, 3);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (5, '14:00:00', '22:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '14:00:00', '0860', 'IN', 0),
  ('2024-04-01', '22:00:00', '0860', 'OUT', 0),
  ('2024-04-01', '22:05:00', '0860', 'OUT', 0);
