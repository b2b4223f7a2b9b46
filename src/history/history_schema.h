// The history database's schema, as a list of migrations. The database's version is SQLite's
// user_version: the number of migrations applied. Opening a database of an older version
// applies the rest in one transaction; a newer one is refused and left as it is.
//
// To add tables or columns, append a migration; never change one that has shipped, since
// players' databases have already run it.
#pragma once

#include <span>
#include <string_view>

namespace history {

// Migration i takes the database from version i to version i + 1.
std::span<const std::string_view> Migrations();

// The version this build writes: the number of migrations.
int SchemaVersion();

}  // namespace history
