-- Shift 3 (Monday's Shift2 is 2, so slot 3): 18:00 to 06:00 the next morning, WorkLate 5.
-- 17:59 is before the start (slot 3 has no early start); 18:02 opens the shift; the next
-- morning's OUTs are late finishes up to 11:00 exactly; 11:30 is too late.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, WorkEarly, WorkLate) VALUES (1, 'Nia Night', '0830', 'P30', 3, 5, 5);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (3, '18:00:00', '06:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '17:59:00', '0830', 'IN', 0),
  ('2024-04-01', '18:02:00', '0830', 'IN', 0),
  ('2024-04-02', '06:30:00', '0830', 'OUT', 0),
  ('2024-04-02', '11:00:00', '0830', 'OUT', 0),
  ('2024-04-02', '11:30:00', '0830', 'OUT', 0);
