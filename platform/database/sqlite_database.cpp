#include "platform/database/sqlite_database.h"

#include <sqlite3.h>

#include <limits>

namespace quova {

namespace {

bool Damaged(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path& file, int busyMs) {
    const int code = sqlite3_open_v2(file.c_str(), &db_,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                         SQLITE_OPEN_NOMUTEX,
                                     nullptr);
    if (code != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError(file.string() + ": " + why, Damaged(code));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyMs);
}

SqliteDatabase::~SqliteDatabase() {
    // Statements are all finalised by their owners: close cannot fail here.
    sqlite3_close(db_);
}

void SqliteDatabase::Fail(int code, std::string_view doing) const {
    throw DatabaseError(std::string(doing) + ": " + sqlite3_errmsg(db_), Damaged(code));
}

void SqliteDatabase::Exec(std::string_view sql) {
    const std::string text(sql);
    char* message = nullptr;
    const int code = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (code != SQLITE_OK) Fail(code, text);
}

std::optional<std::string> SqliteDatabase::Text(std::string_view sql) {
    Statement statement(*this, sql);
    if (!statement.Step()) return std::nullopt;
    return statement.TextAt(0);
}

SqliteDatabase::Statement::Statement(SqliteDatabase& db, std::string_view sql) : db_(db) {
    if (sql.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        throw DatabaseError("statement too long", false);
    const int code = sqlite3_prepare_v2(db.db_, sql.data(), static_cast<int>(sql.size()),
                                        &statement_, nullptr);
    if (code != SQLITE_OK) db.Fail(code, sql);
}

SqliteDatabase::Statement::~Statement() {
    sqlite3_finalize(statement_);
}

SqliteDatabase::Statement& SqliteDatabase::Statement::Bind(int index, std::string_view text) {
    const int code = sqlite3_bind_text64(statement_, index, text.data(), text.size(),
                                         SQLITE_TRANSIENT, SQLITE_UTF8);
    if (code != SQLITE_OK) db_.Fail(code, "bind");
    return *this;
}

SqliteDatabase::Statement& SqliteDatabase::Statement::Bind(int index, std::int64_t value) {
    const int code = sqlite3_bind_int64(statement_, index, value);
    if (code != SQLITE_OK) db_.Fail(code, "bind");
    return *this;
}

SqliteDatabase::Statement& SqliteDatabase::Statement::Bind(int index, double value) {
    const int code = sqlite3_bind_double(statement_, index, value);
    if (code != SQLITE_OK) db_.Fail(code, "bind");
    return *this;
}

bool SqliteDatabase::Statement::Step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    db_.Fail(code, sqlite3_sql(statement_));
}

std::string SqliteDatabase::Statement::TextAt(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size))
                : std::string();
}

std::int64_t SqliteDatabase::Statement::IntAt(int column) const {
    return sqlite3_column_int64(statement_, column);
}

double SqliteDatabase::Statement::RealAt(int column) const {
    return sqlite3_column_double(statement_, column);
}

SqliteDatabase::Transaction::Transaction(SqliteDatabase& db) : db_(db) {
    db_.Exec("BEGIN IMMEDIATE");
}

void SqliteDatabase::Transaction::Commit() {
    db_.Exec("COMMIT");
    done_ = true;
}

SqliteDatabase::Transaction::~Transaction() {
    if (done_) return;
    // A failed rollback leaves SQLite to roll back when the connection goes.
    sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace quova
