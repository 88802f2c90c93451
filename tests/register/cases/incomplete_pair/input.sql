-- The forgotten clock-out: Ann clocks IN on Tuesday and never OUT; on Wednesday her lunch
-- OUT and IN are there but the evening OUT is missing (pair 2). Ben's second day has an
-- OUT without an IN in pair 1 and an IN without an OUT in pair 2. Complete days and the
-- register rows of EmployeeNo 99 (no such employee) are not listed.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann Smith', '0711', 'P1', 1), (2, 'Ben Jones', '0722', 'P2', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO, Wed_TI, Wed_TO)
  VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00', '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES
  ('2024-04-01', 1, 2, 4), ('2024-04-02', 1, 2, 4), ('2024-04-03', 1, 2, 4);
INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1) VALUES
  (99, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '07:00:00');
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '08:00:00', '0711', 'IN', 0),
  ('2024-04-01', '08:00:00', '0722', 'IN', 0),
  ('2024-04-01', '17:00:00', '0711', 'OUT', 0),
  ('2024-04-01', '17:00:00', '0722', 'OUT', 0),
  ('2024-04-02', '08:00:00', '0711', 'IN', 0),
  ('2024-04-02', '12:00:00', '0722', 'OUT', 0),
  ('2024-04-02', '13:00:00', '0722', 'IN', 0),
  ('2024-04-03', '08:00:00', '0711', 'IN', 0),
  ('2024-04-03', '12:00:00', '0711', 'OUT', 0),
  ('2024-04-03', '12:30:00', '0711', 'IN', 0);
