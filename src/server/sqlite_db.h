#pragma once
// A thin RAII layer over the SQLite C API: a connection, prepared statements, transactions.
// Failures throw vistrel::Error with SQLite's message.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vistrel {

class SqliteConnection {
 public:
  // Opens the file for reading and writing; a missing file is created when `create` is set
  // and an error otherwise.
  explicit SqliteConnection(const std::filesystem::path& file, bool create = true);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  void Exec(const char* sql);
  int64_t ChangedRows() const;
  int64_t LastInsertId() const;
  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class SqliteStatement {
 public:
  SqliteStatement(SqliteConnection& db, const char* sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters count from 1. Texts are bound as bytes (blobs), so they stay byte for byte.
  SqliteStatement& Bind(int index, int64_t value);
  SqliteStatement& BindDouble(int index, double value);
  SqliteStatement& BindBytes(int index, std::string_view value);
  SqliteStatement& BindText(int index, std::string_view value);

  // Runs to the next row: true when a row is there, false when done.
  bool Step();
  // Step() on a statement that returns no rows, then Reset().
  void Run();
  void Reset();

  int64_t Int(int column) const;
  double Double(int column) const;
  std::string Bytes(int column) const;
  bool IsNull(int column) const;

 private:
  SqliteConnection& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE (for writing) or BEGIN (a consistent read) now; ROLLBACK at destruction
// unless Commit() ran.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteConnection& db, bool write = true);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  void Commit();

 private:
  SqliteConnection& db_;
  bool done_ = false;
};

}  // namespace vistrel
