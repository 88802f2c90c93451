-- Clockings whose number is nobody's MobileNo or PayrollNo: listed after the clocking lines,
-- one line per number in text order, with the count and the first and last moment of its
-- clockings from where the walk starts. The table starts more than two days before the
-- period, so 0999's clocking of 28 March is not counted. Without an employee whose number is
-- empty, the unnumbered clockings are a number of no employee as well. 'P1' is Ann's
-- PayrollNo and is not listed.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0711', 'P1', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-03-28', '09:00:00', '0999', 'IN', 0),
  ('2024-03-31', '00:00:00', '0999', 'IN', 1),
  ('2024-04-01', '07:30:00', '0888', 'IN', 0),
  ('2024-04-01', '08:00:00', '0711', 'IN', 0),
  ('2024-04-01', '10:15:00', NULL, 'OUT', 0),
  ('2024-04-01', '16:00:00', '0999', 'OUT', 0),
  ('2024-04-01', '17:00:00', 'P1', 'OUT', 0),
  ('2024-04-02', '06:00:00', '0999', 'IN', 0);
