-- Only "IN" and "OUT" are placed: "in" and "Out" are logged and keep their Used mark
-- (an empty Used stays empty).
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0821', 'P1', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '08:00:00', '0821', 'in', NULL),
  ('2024-04-01', '09:00:00', '0821', 'IN', 0),
  ('2024-04-01', '12:00:00', '0821', 'Out', 0),
  ('2024-04-01', '17:00:00', '0821', 'OUT', 0);
