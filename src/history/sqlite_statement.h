// The few SQLite steps every table of the history takes: a statement owned by a pointer, texts
// read and bound as UTF-16 or UTF-8, one statement run on its own.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "platform/base/free_with.h"

namespace history {

using TStatement = std::unique_ptr<sqlite3_stmt, TFreeWith<sqlite3_finalize>>;

// The statement, or null when it cannot be prepared. `flags` as sqlite3_prepare_v3 takes them.
inline TStatement Prepare(sqlite3* db, const char* sql, unsigned flags = 0) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v3(db, sql, -1, flags, &statement, nullptr);
  return TStatement(statement);
}

inline bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

inline std::u16string Text16(sqlite3_stmt* statement, int column) {
  const void* text = sqlite3_column_text16(statement, column);
  if (text == nullptr) return {};
  const int bytes = sqlite3_column_bytes16(statement, column);
  return {static_cast<const char16_t*>(text), static_cast<std::size_t>(bytes) / 2};
}

inline std::string Text(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
}

inline void Bind16(sqlite3_stmt* statement, int index, const std::u16string& text) {
  sqlite3_bind_text16(statement, index, text.data(), static_cast<int>(text.size() * 2),
                      SQLITE_TRANSIENT);
}

}  // namespace history
