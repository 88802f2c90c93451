-- The rota turns on Sunday: group 2 works Sunday's night slot 3 (18:00 to 06:00) and then
-- Monday's day slot 2 (06:00 to 14:00). A Monday morning clocking around 06:00 is taken by
-- the rules of both days (Sunday's late finish, Monday's shift); it goes to one day only: an
-- IN to the day whose slot it starts (Monday), an OUT to the day whose slot it ends (Sunday).
-- Maria starts on Monday; Nia works Sunday night.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate) VALUES
  (1, 'Maria Monday', '0811', 'P11', 2, 5, 5),
  (2, 'Nia Night', '0822', 'P22', 2, 5, 5);
INSERT INTO Shifts (No, Sun_TI, Sun_TO, Mon_TI, Mon_TO) VALUES
  (2, '06:00:00', '14:00:00', '06:00:00', '14:00:00'),
  (3, '18:00:00', '06:00:00', '18:00:00', '06:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES
  ('2024-03-31', 1, 3, 4),
  ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '06:02:34', '0811', 'IN', 0),
  ('2024-04-01', '13:59:00', '0811', 'OUT', 0),
  ('2024-03-31', '18:01:00', '0822', 'IN', 0),
  ('2024-04-01', '06:03:00', '0822', 'OUT', 0);
