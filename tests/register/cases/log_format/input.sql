-- Log lines: number, short date (M/d/yy) and, unless the time is 00:00:00, the long time
-- (h:mm:ss AP), then the status as stored. A clocking without a number is logged with an
-- empty number (it belongs to the employee, whose PayrollNo is empty).
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0821', NULL, 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '00:00:00', '0821', 'BREAK', 0),
  ('2024-04-01', '00:00:01', '0821', 'BREAK', 0),
  ('2024-04-01', '12:00:00', '0821', 'BREAK', 0),
  ('2024-04-01', '13:05:09.750', '0821', 'BREAK', 0),
  ('2024-04-01', '23:59:59', NULL, 'BREAK', 0),
  ('2024-12-25', '09:30:00', '0821', 'BREAK', 0);
