-- A clocking belongs to the employee whose MobileNo or PayrollNo is exactly its number:
-- 'P77' is employee 1's payroll number; 'p77' and '0822' belong to nobody (not placed; listed as
-- numbers of no employee). Clockings without a number (NULL or '') belong to employee 2, whose PayrollNo is
-- empty, and not to employee 1, who has both numbers.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0821', 'P77', 1), (2, 'Ben', '0900', NULL, 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '08:00:00', '0821', 'IN', 0),
  ('2024-04-01', '08:10:00', '0822', 'IN', 0),
  ('2024-04-01', '09:00:00', NULL, 'IN', 0),
  ('2024-04-01', '17:00:00', 'P77', 'OUT', 0),
  ('2024-04-01', '17:30:00', 'p77', 'OUT', 0),
  ('2024-04-01', '17:45:00', '', 'OUT', 0);
