-- Two INs before the OUT: the second IN opens the next pair, the OUT closes the first.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann Day', '0821', 'P821', 1);
INSERT INTO Shifts (No, Tue_TI, Tue_TO) VALUES (1, '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-02', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-02', '08:00:00', '0821', 'IN', 0),
  ('2024-04-02', '08:05:00', '0821', 'IN', 0),
  ('2024-04-02', '17:00:00', '0821', 'OUT', 0);
