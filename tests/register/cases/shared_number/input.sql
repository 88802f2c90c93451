-- Ann's phone number is also Ben's PayrollNo: every clocking of it would pay both, so it is
-- placed for neither and the number is listed with both. Slot 1 was set to run across
-- midnight on Monday, which the day job cannot pay: that is listed too. Cleo's own phone
-- places as usual.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES
  (1, 'Ann', '0811', 'P1', 1),
  (2, 'Ben', '0822', '0811', 1),
  (3, 'Cleo', '0833', 'P3', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '22:00:00', '06:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '08:00:00', '0811', 'IN', 0),
  ('2024-04-01', '08:00:00', '0833', 'IN', 0),
  ('2024-04-01', '17:00:00', '0811', 'OUT', 0),
  ('2024-04-01', '17:00:00', '0833', 'OUT', 0);
