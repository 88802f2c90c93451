-- 1 to 3 April 2024, a day job of 08:00 to 17:00 every day. Each clocking that none of the
-- employee's days takes is listed once, employee by employee, in clocking order: 0711's IN
-- of the evening before the period and his IN of the day after it, then 0722's "in". The
-- placed 08:00 IN and 17:00 OUT are never listed, though two of the three days refused them.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0711', 'P1', 1), (2, 'Ben', '0722', 'P2', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO, Wed_TI, Wed_TO)
  VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00', '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES
  ('2024-04-01', 1, 2, 4), ('2024-04-02', 1, 2, 4), ('2024-04-03', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-03-31', '23:00:00', '0711', 'IN', 0),
  ('2024-04-01', '08:00:00', '0711', 'IN', 0),
  ('2024-04-01', '09:00:00', '0722', 'in', 0),
  ('2024-04-01', '17:00:00', '0711', 'OUT', 0),
  ('2024-04-04', '08:00:00', '0711', 'IN', 0);
