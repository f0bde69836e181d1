#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace quova {

// What SQLite refused, with its own words and whether the file is no
// database or a damaged one (which a caller sets aside instead of failing).
class DatabaseError : public std::runtime_error {
  public:
    DatabaseError(const std::string& what, bool damaged)
        : std::runtime_error(what), damaged_(damaged) {}
    bool damaged() const { return damaged_; }

  private:
    bool damaged_;
};

// One connection to an SQLite file, used from one thread. Every failure is a
// DatabaseError.
class SqliteDatabase {
  public:
    // Opens or creates the file; waits up to `busyMs` for another writer.
    explicit SqliteDatabase(const std::filesystem::path& file, int busyMs = 2000);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs statements that give no rows.
    void Exec(std::string_view sql);
    // The first column of the first row of a query, as text; none without rows.
    std::optional<std::string> Text(std::string_view sql);

    // A prepared statement; its parameters are bound from 1.
    class Statement {
      public:
        Statement(SqliteDatabase& db, std::string_view sql);
        ~Statement();
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;

        Statement& Bind(int index, std::string_view text);
        Statement& Bind(int index, std::int64_t value);
        Statement& Bind(int index, double value);
        // True while there is a row to read; false once done.
        bool Step();
        std::string TextAt(int column) const;
        std::int64_t IntAt(int column) const;
        double RealAt(int column) const;

      private:
        SqliteDatabase& db_;
        sqlite3_stmt* statement_ = nullptr;
    };

    // One transaction for the work inside its scope: Commit() ends it, a
    // scope left without (by an exception) rolls it back.
    class Transaction {
      public:
        explicit Transaction(SqliteDatabase& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

      private:
        SqliteDatabase& db_;
        bool done_ = false;
    };

  private:
    [[noreturn]] void Fail(int code, std::string_view doing) const;

    sqlite3* db_ = nullptr;
};

}  // namespace quova
