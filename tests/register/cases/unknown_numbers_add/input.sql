-- "Process the New Clock Data" counts only the clockings it considers: those not yet used.
-- 0999 has one used clocking and two new ones; 0777's only clocking is used and 0777 is not
-- listed at all.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0711', 'P1', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1) VALUES
  (1, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '08:00:00');
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '07:00:00', '0777', 'IN', 1),
  ('2024-04-01', '07:30:00', '0999', 'IN', 1),
  ('2024-04-01', '08:00:00', '0711', 'IN', 1),
  ('2024-04-01', '12:00:00', '0999', 'OUT', NULL),
  ('2024-04-01', '17:00:00', '0711', 'OUT', 0),
  ('2024-04-01', '18:00:00', '0999', 'IN', 0);
