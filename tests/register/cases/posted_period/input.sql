-- March is posted; April starts on Monday 1 April 2024. The clockings of 31 March are in the
-- import window and still marked used, and so is the night's OUT of the morning of 1 April:
-- the posted history's 31 March holds them. They are neither placed again nor listed.
-- Ann works the day job, Nia the night slot 3 (18:00 to 06:00).
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate) VALUES
  (1, 'Ann', '0821', 'P1', 1, 5, 5),
  (2, 'Nia Night', '0822', 'P2', 3, 5, 5);
INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO) VALUES
  (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00'),
  (3, '18:00:00', '06:00:00', '18:00:00', '06:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4), ('2024-04-02', 1, 2, 4);
INSERT INTO PerHistory (Period, StartDate, EndDate) VALUES (3, '2024-03-01', '2024-03-31');
INSERT INTO History (Date, EmployeeNo, Name, Period, Shift, INTime, OUTTime, In1, Out1) VALUES
  ('2024-03-31', 1, 'Ann', 3, 1, '08:00:00', '17:00:00', '08:00:00', '17:00:00'),
  ('2024-03-31', 2, 'Nia Night', 3, 3, '18:00:00', '06:00:00', '18:00:00', '06:00:00');
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-03-31', '08:00:00', '0821', 'IN', 1),
  ('2024-03-31', '17:00:00', '0821', 'OUT', 1),
  ('2024-03-31', '18:00:00', '0822', 'IN', 1),
  ('2024-04-01', '06:00:00', '0822', 'OUT', 1),
  ('2024-04-01', '08:00:00', '0821', 'IN', 0),
  ('2024-04-01', '17:00:00', '0821', 'OUT', 0),
  ('2024-04-01', '18:01:00', '0822', 'IN', 0),
  ('2024-04-02', '06:02:00', '0822', 'OUT', 0);
