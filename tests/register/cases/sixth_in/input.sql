-- Five full pairs: the sixth IN and the sixth OUT find no field; they are dropped but
-- still count as placed (used, not logged).
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0821', 'P1', 1);
INSERT INTO Shifts (No, Wed_TI, Wed_TO) VALUES (1, '06:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-03', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-03', '06:00:00', '0821', 'IN', 0),
  ('2024-04-03', '07:00:00', '0821', 'OUT', 0),
  ('2024-04-03', '08:00:00', '0821', 'IN', 0),
  ('2024-04-03', '09:00:00', '0821', 'OUT', 0),
  ('2024-04-03', '10:00:00', '0821', 'IN', 0),
  ('2024-04-03', '11:00:00', '0821', 'OUT', 0),
  ('2024-04-03', '12:00:00', '0821', 'IN', 0),
  ('2024-04-03', '13:00:00', '0821', 'OUT', 0),
  ('2024-04-03', '14:00:00', '0821', 'IN', 0),
  ('2024-04-03', '15:00:00', '0821', 'OUT', 0),
  ('2024-04-03', '16:00:00', '0821', 'IN', 0),
  ('2024-04-03', '17:00:00', '0821', 'OUT', 0);
