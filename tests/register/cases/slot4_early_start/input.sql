-- Shift 4 on a Tuesday whose Shift3 is 4 (slot 4): 00:00 to 08:00.
--   1 (WorkEarly 5): the IN at 23:50 on Monday is an early start of Tuesday; 18:59:59 on
--     Monday is before 19:00 and is not. The OUT at 08:00 ends the shift exactly; 08:00:01 is
--     after it (slot 4 has no late finish).
--   2 (WorkEarly 2.5): 21:30 on Monday is the first moment of his early start.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate) VALUES
  (1, 'Eve Early', '0840', 'P40', 4, 5, 5), (2, 'Hal Half', '0841', 'P41', 4, 2.5, 0);
INSERT INTO Shifts (No, Tue_TI, Tue_TO) VALUES (4, '00:00:00', '08:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-02', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '18:59:59', '0840', 'IN', 0),
  ('2024-04-01', '21:29:59', '0841', 'IN', 0),
  ('2024-04-01', '21:30:00', '0841', 'IN', 0),
  ('2024-04-01', '23:50:00', '0840', 'IN', 0),
  ('2024-04-02', '08:00:00', '0840', 'OUT', 0),
  ('2024-04-02', '08:00:01', '0840', 'OUT', 0);
