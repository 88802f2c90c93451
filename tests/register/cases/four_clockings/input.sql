-- A day job (shift 1) on one Monday. The four clockings are stored out of order: the pass
-- takes them in the table's order (Date, Time, MobileNo) and fills two pairs. The 13:00 IN
-- was already marked used; a reset pass takes it all the same.
INSERT INTO Employee (No, Name, MobileNo, PayrollNo, ShiftNo, NT, OT1, OT2, HT) VALUES (1, 'Ann Day', '0821', 'P821', 1, 7.5, 1, 2, 3);
INSERT INTO Shifts (No, Mon_TI, Mon_TO) VALUES (1, '08:00:00', '17:00:00');
INSERT INTO Period (Date, ShiftNo, Shift2, Shift3, Holiday) VALUES ('2024-04-01', 1, 2, 4, NULL);
INSERT INTO ClkData (Date, Time, MobileNo, Status, Used) VALUES
  ('2024-04-01', '17:05:00', '0821', 'OUT', 0),
  ('2024-04-01', '13:00:00', '0821', 'IN', 1),
  ('2024-04-01', '08:00:00', '0821', 'IN', 0),
  ('2024-04-01', '12:30:00', '0821', 'OUT', 0);
