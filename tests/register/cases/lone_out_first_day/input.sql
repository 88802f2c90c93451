-- Employee 2 clocks OUT before any IN on his first register day: there is no day before it
-- to close, so the OUT takes Out1 and In1 stays empty; the later IN opens the second pair.
-- Employee 1's open Tuesday comes just before it in the register and must stay open.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo) VALUES (1, 'Ann', '0821', 'P1', 1), (2, 'Ben', '0822', 'P2', 1);
INSERT INTO Shifts (No, Mon_TI, Mon_TO, Tue_TI, Tue_TO) VALUES (1, '08:00:00', '17:00:00', '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3) VALUES ('2024-04-01', 1, 2, 4), ('2024-04-02', 1, 2, 4);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '07:00:00', '0822', 'OUT', 0),
  ('2024-04-01', '08:00:00', '0822', 'IN', 0),
  ('2024-04-02', '22:00:00', '0821', 'IN', 0);
