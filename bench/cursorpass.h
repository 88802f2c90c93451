#pragma once

#include <string>
#include <vector>

namespace core {
class Regional;
class WindowServices;
} // namespace core

namespace store {
class Database;
struct Tables;
} // namespace store

namespace bench {

/// "Reset and Process Clock Data" as the plain design does it: the register rebuilt, then
/// for every employee and every register day the whole clockings table walked through the
/// clockings cursor, row by row, each placement written through the register cursor.
/// The benchmark times the program's pass against it. Returns the Result log.
std::vector<std::string> cursorWalkPass(store::Database& db, store::Tables& tables, core::WindowServices& ui,
                                        const core::Regional& regional);

} // namespace bench
