#pragma once

namespace window::help {

extern const char* const kDownload;
extern const char* const kAttendance;
extern const char* const kPeriod;
extern const char* const kEmployees;
extern const char* const kShifts;
extern const char* const kSetup;
extern const char* const kGeneral;

} // namespace window::help
