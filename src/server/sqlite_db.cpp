#include "server/sqlite_db.h"

#include <sqlite3.h>

#include "common/error.h"

namespace vistrel {

namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  throw Error(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// Another process (the review command beside a running server) may hold the write lock.
constexpr int kBusyTimeoutMs = 5000;

}  // namespace

SqliteConnection::SqliteConnection(const std::filesystem::path& file, bool create) {
  const int rc = sqlite3_open_v2(
      file.c_str(), &db_,
      SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = "cannot open database " + file.string() + ": " +
                          (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    sqlite3_close(db_);
    db_ = nullptr;
    throw Error(message);
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

SqliteConnection::~SqliteConnection() {
  sqlite3_close(db_);
}

void SqliteConnection::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw Error("database: " + text);
  }
}

int64_t SqliteConnection::ChangedRows() const {
  return sqlite3_changes(db_);
}

int64_t SqliteConnection::LastInsertId() const {
  return sqlite3_last_insert_rowid(db_);
}

SqliteStatement::SqliteStatement(SqliteConnection& db, const char* sql) : db_(db) {
  if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK) {
    Fail(db.handle(), "database");
  }
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(stmt_);
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_.handle(), "database");
  return *this;
}

SqliteStatement& SqliteStatement::BindDouble(int index, double value) {
  if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) Fail(db_.handle(), "database");
  return *this;
}

SqliteStatement& SqliteStatement::BindBytes(int index, std::string_view value) {
  // A zero-length blob would bind as NULL with a null pointer; "" keeps it an empty value.
  const char* data = value.empty() ? "" : value.data();
  if (sqlite3_bind_blob64(stmt_, index, data, value.size(), SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_.handle(), "database");
  }
  return *this;
}

SqliteStatement& SqliteStatement::BindText(int index, std::string_view value) {
  if (sqlite3_bind_text64(stmt_, index, value.data(), value.size(), SQLITE_TRANSIENT,
                          SQLITE_UTF8) != SQLITE_OK) {
    Fail(db_.handle(), "database");
  }
  return *this;
}

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_.handle(), "database");
}

void SqliteStatement::Run() {
  Step();
  Reset();
}

void SqliteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int64_t SqliteStatement::Int(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

double SqliteStatement::Double(int column) const {
  return sqlite3_column_double(stmt_, column);
}

std::string SqliteStatement::Bytes(int column) const {
  const void* data = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  if (!data || size <= 0) return {};
  return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

bool SqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

SqliteTransaction::SqliteTransaction(SqliteConnection& db, bool write) : db_(db) {
  db_.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
}

SqliteTransaction::~SqliteTransaction() {
  if (!done_) {
    try {
      db_.Exec("ROLLBACK");
    } catch (const Error&) {
      // Nothing more to undo: SQLite has already rolled back after the failure.
    }
  }
}

void SqliteTransaction::Commit() {
  db_.Exec("COMMIT");
  done_ = true;
}

}  // namespace vistrel
