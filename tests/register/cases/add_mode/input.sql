-- "Process the New Clock Data" over a register that already holds Monday's 08:00 IN.
-- Used clockings are passed over and never logged (08:00 IN, 16:00 IN); a clocking placed
-- during this pass is passed over by the later days and employees: the unnumbered 07:00 IN
-- goes to employee 2 and employee 3 (also without a MobileNo) does not see it; Monday's
-- 12:00 OUT is not logged; the lower-case "in" is logged once, not once per day. The
-- register row of EmployeeNo 99 (no such employee) is left alone. Ann's Tuesday and Ben's
-- Monday hold an IN without an OUT.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES
  (1, 'Ann', '0821', 'P1', 1), (2, 'Ben', '0900', NULL, 1), (3, 'Cid', NULL, 'P3', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO) VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4), ('2024-04-02', 1, 2, 4);
INSERT INTO Attendance (EmployeeNo, Date, DOW, Shift, INTime, OUTTime, Holiday, In1) VALUES
  (1, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '08:00:00'),
  (1, '2024-04-02', 'Tuesday', 1, '08:00:00', '17:00:00', 0, NULL),
  (2, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, NULL),
  (3, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, NULL),
  (99, '2024-04-01', 'Monday', 1, '08:00:00', '17:00:00', 0, '07:00:00');
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '07:00:00', NULL, 'IN', 0),
  ('2024-04-01', '08:00:00', '0821', 'IN', 1),
  ('2024-04-01', '12:00:00', '0821', 'OUT', NULL),
  ('2024-04-01', '12:30:00', '0821', 'in', 0),
  ('2024-04-02', '07:55:00', '0821', 'IN', 0),
  ('2024-04-02', '16:00:00', '0821', 'IN', 1);
