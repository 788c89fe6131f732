#include "usage/usage_store.h"

#include "base/owners.h"
#include "base/text.h"

#include <sqlite3.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <iterator>

namespace {

constexpr int kSchemaVersion = 2;
constexpr int kBusyTimeoutMs = 250;
constexpr size_t kPathCapacity = MAX_PATH * 2;

void CloseDatabase(sqlite3* db) noexcept { sqlite3_close_v2(db); }
void FinalizeStatement(sqlite3_stmt* statement) noexcept { sqlite3_finalize(statement); }
using Database = UniquePointer<sqlite3*, &CloseDatabase>;
using Statement = UniquePointer<sqlite3_stmt*, &FinalizeStatement>;

constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS adapters(id INTEGER PRIMARY KEY, guid TEXT NOT NULL UNIQUE,"
    " received INTEGER NOT NULL, sent INTEGER NOT NULL, sampled INTEGER NOT NULL, uptime INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS traffic(adapter INTEGER NOT NULL, bucket INTEGER NOT NULL,"
    " received INTEGER NOT NULL, sent INTEGER NOT NULL, PRIMARY KEY(adapter, bucket)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS warnings(guid TEXT NOT NULL, month INTEGER NOT NULL, allowance INTEGER NOT NULL,"
    " start_day INTEGER NOT NULL, level INTEGER NOT NULL, PRIMARY KEY(guid, month, allowance, start_day))"
    " WITHOUT ROWID;"
    "PRAGMA user_version=2;";

// When an adapter was written last, so that icons sharing it write it once a minute.
struct LastWrite {
    wchar_t guid[40];
    uint64_t time;
};
constexpr size_t kRememberedWrites = 16;

// Module-wide: the file's connection, the memory's while the file cannot be
// used (or holds counts not yet moved), the users and the last writes. All under `lock`.
struct Store {
    SRWLOCK lock = SRWLOCK_INIT;
    int users = 0;
    Database file;
    Database memory;
    LastWrite lastWrites[kRememberedWrites] = {};
};
Store store;

class StoreLock {
public:
    StoreLock() noexcept { AcquireSRWLockExclusive(&store.lock); }
    ~StoreLock() { ReleaseSRWLockExclusive(&store.lock); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
};

enum class Opened { Ready, Busy, Damaged, Unusable };

Opened Classify(int rc) noexcept {
    switch (rc & 0xFF) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return Opened::Ready;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Opened::Busy;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return Opened::Damaged;
        default:
            return Opened::Unusable;
    }
}

Statement Prepare(sqlite3* db, const char* sql) noexcept {
    Statement statement;
    sqlite3_prepare_v2(db, sql, -1, statement.put(), nullptr);
    return statement;
}

// Runs a statement to its end; the first row's first column into *first.
int Run(sqlite3* db, const char* sql, int64_t* first = nullptr) noexcept {
    Statement statement = Prepare(db, sql);
    if (!statement) {
        return sqlite3_errcode(db);
    }
    int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW && first) {
        *first = sqlite3_column_int64(statement.get(), 0);
    }
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(statement.get());
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

bool FolderPath(wchar_t* path, size_t capacity) noexcept {
    CoTaskTextOwner appData;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, appData.put())) || !appData) {
        return false;
    }
    const int written = std::swprintf(path, capacity, L"%ls\\Vantrel Docklet", appData.get());
    return written > 0 && static_cast<size_t>(written) < capacity;
}

bool Utf8Path(const wchar_t* path, char* utf8, int capacity) noexcept {
    return WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, capacity, nullptr, nullptr) > 0;
}

// The damaged file and its -wal and -shm beside it, under a name with the
// local time. False when the file itself stays (another dock has it open).
bool MoveAside(const wchar_t* path) noexcept {
    SYSTEMTIME utc;
    SYSTEMTIME local;
    const uint64_t now = UsageClockNow();
    const FILETIME time{static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)};
    if (!FileTimeToSystemTime(&time, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return false;
    }
    wchar_t aside[kPathCapacity];
    const int written = std::swprintf(aside, kPathCapacity, L"%ls.damaged-%04u%02u%02u-%02u%02u%02u", path, local.wYear,
                                      local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
    if (written <= 0 || static_cast<size_t>(written) + 4 >= kPathCapacity || !MoveFileExW(path, aside, 0)) {
        return false;
    }
    for (const wchar_t* suffix : {L"-wal", L"-shm"}) {
        wchar_t from[kPathCapacity];
        wchar_t to[kPathCapacity];
        std::swprintf(from, kPathCapacity, L"%ls%ls", path, suffix);
        std::swprintf(to, kPathCapacity, L"%ls%ls", aside, suffix);
        MoveFileExW(from, to, 0);
    }
    return true;
}

// A file that is there and does not start as a database is damaged. Told
// before SQLite opens it: SQLite would delete its -wal on closing.
bool LooksDamaged(const wchar_t* path) noexcept {
    FileOwner file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    static constexpr char kHeader[16] = "SQLite format 3";
    char header[sizeof kHeader] = {};
    DWORD read = 0;
    if (!ReadFile(file.get(), header, sizeof header, &read, nullptr)) {
        return false;
    }
    return read != 0 && (read != sizeof header || std::memcmp(header, kHeader, sizeof header) != 0);
}

Opened PrepareFile(sqlite3* db) noexcept {
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    int64_t version = 0;
    // A newer release's file is left as it is: not even its journal mode changes.
    int rc = Run(db, "PRAGMA user_version", &version);
    if (rc != SQLITE_OK) {
        return Classify(rc);
    }
    if (version > kSchemaVersion) {
        return Opened::Unusable;
    }
    if ((rc = Run(db, "PRAGMA journal_mode=WAL")) != SQLITE_OK || (rc = Run(db, "PRAGMA synchronous=NORMAL")) != SQLITE_OK) {
        return Classify(rc);
    }
    if (version == kSchemaVersion) {
        return Opened::Ready;
    }
    rc = Run(db, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
        rc = rc == SQLITE_OK ? Run(db, "COMMIT") : rc;
        if (rc != SQLITE_OK) {
            Run(db, "ROLLBACK");
        }
    }
    return Classify(rc);
}

Opened OpenAt(const wchar_t* path, Database& db) noexcept {
    if (LooksDamaged(path)) {
        return Opened::Damaged;
    }
    char utf8[kPathCapacity * 3];
    if (!Utf8Path(path, utf8, sizeof utf8)) {
        return Opened::Unusable;
    }
    Database opened;
    if (sqlite3_open_v2(utf8, opened.put(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        return Opened::Unusable;
    }
    const Opened result = PrepareFile(opened.get());
    if (result == Opened::Ready) {
        db = std::move(opened);
    }
    return result;
}

// The file's connection, opened when there is none; a damaged file is moved
// aside and a new one started.
Opened OpenFile() noexcept {
    if (store.file) {
        return Opened::Ready;
    }
    wchar_t path[kPathCapacity];
    if (!UsageDatabasePath(path, kPathCapacity)) {
        return Opened::Unusable;
    }
    wchar_t folder[kPathCapacity];
    if (FolderPath(folder, kPathCapacity)) {
        CreateDirectoryW(folder, nullptr);
    }
    const Opened result = OpenAt(path, store.file);
    if (result != Opened::Damaged) {
        return result;
    }
    return MoveAside(path) ? OpenAt(path, store.file) : Opened::Unusable;
}

bool OpenMemory() noexcept {
    if (store.memory) {
        return true;
    }
    Database db;
    if (sqlite3_open_v2(":memory:", db.put(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db.get(), kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        return false;
    }
    store.memory = std::move(db);
    return true;
}

void BindText(sqlite3_stmt* statement, int index, const wchar_t* text) noexcept {
    sqlite3_bind_text16(statement, index, text, -1, SQLITE_TRANSIENT);
}

CountedMark ReadMark(sqlite3* db, const wchar_t* guid) noexcept {
    CountedMark mark{};
    Statement statement = Prepare(db, "SELECT received, sent, sampled, uptime FROM adapters WHERE guid=?");
    if (statement) {
        BindText(statement.get(), 1, guid);
        if (sqlite3_step(statement.get()) == SQLITE_ROW) {
            mark.known = 1;
            mark.counters.received = static_cast<uint64_t>(sqlite3_column_int64(statement.get(), 0));
            mark.counters.sent = static_cast<uint64_t>(sqlite3_column_int64(statement.get(), 1));
            mark.sampleTime = sqlite3_column_int64(statement.get(), 2);
            mark.uptimeMs = static_cast<uint64_t>(sqlite3_column_int64(statement.get(), 3));
        }
    }
    return mark;
}

int StoreMark(sqlite3* db, const wchar_t* guid, const CountedMark& mark) noexcept {
    Statement statement = Prepare(db,
                                  "INSERT INTO adapters(guid, received, sent, sampled, uptime) VALUES(?1, ?2, ?3, ?4, ?5)"
                                  " ON CONFLICT(guid) DO UPDATE SET received=?2, sent=?3, sampled=?4, uptime=?5");
    if (!statement) {
        return sqlite3_errcode(db);
    }
    BindText(statement.get(), 1, guid);
    sqlite3_bind_int64(statement.get(), 2, static_cast<int64_t>(mark.counters.received));
    sqlite3_bind_int64(statement.get(), 3, static_cast<int64_t>(mark.counters.sent));
    sqlite3_bind_int64(statement.get(), 4, mark.sampleTime);
    sqlite3_bind_int64(statement.get(), 5, static_cast<int64_t>(mark.uptimeMs));
    const int rc = sqlite3_step(statement.get());
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int AddTraffic(sqlite3* db, const wchar_t* guid, int64_t bucket, UsagePair bytes) noexcept {
    if (bytes.received == 0 && bytes.sent == 0) {
        return SQLITE_OK;
    }
    Statement statement = Prepare(db,
                                  "INSERT INTO traffic(adapter, bucket, received, sent)"
                                  " SELECT id, ?2, ?3, ?4 FROM adapters WHERE guid=?1"
                                  " ON CONFLICT(adapter, bucket) DO UPDATE SET received=received+excluded.received,"
                                  " sent=sent+excluded.sent");
    if (!statement) {
        return sqlite3_errcode(db);
    }
    BindText(statement.get(), 1, guid);
    sqlite3_bind_int64(statement.get(), 2, bucket);
    sqlite3_bind_int64(statement.get(), 3, static_cast<int64_t>(bytes.received));
    sqlite3_bind_int64(statement.get(), 4, static_cast<int64_t>(bytes.sent));
    const int rc = sqlite3_step(statement.get());
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// What memory counted, into the file: its buckets added, its last counted values kept.
int MoveMemoryInto(sqlite3* file) noexcept {
    if (!store.memory) {
        return SQLITE_OK;
    }
    Statement adapters = Prepare(store.memory.get(), "SELECT guid, received, sent, sampled, uptime FROM adapters");
    Statement traffic = Prepare(store.memory.get(),
                                "SELECT t.bucket, t.received, t.sent FROM traffic t WHERE t.adapter ="
                                " (SELECT id FROM adapters WHERE guid=?)");
    if (!adapters || !traffic) {
        return SQLITE_NOMEM;
    }
    while (sqlite3_step(adapters.get()) == SQLITE_ROW) {
        const auto* guid = static_cast<const wchar_t*>(sqlite3_column_text16(adapters.get(), 0));
        if (!guid) {
            continue;
        }
        const CountedMark mark{1,
                               {static_cast<uint64_t>(sqlite3_column_int64(adapters.get(), 1)),
                                static_cast<uint64_t>(sqlite3_column_int64(adapters.get(), 2))},
                               sqlite3_column_int64(adapters.get(), 3),
                               static_cast<uint64_t>(sqlite3_column_int64(adapters.get(), 4))};
        int rc = StoreMark(file, guid, mark);
        sqlite3_reset(traffic.get());
        BindText(traffic.get(), 1, guid);
        while (rc == SQLITE_OK && sqlite3_step(traffic.get()) == SQLITE_ROW) {
            rc = AddTraffic(file, guid, sqlite3_column_int64(traffic.get(), 0),
                            {static_cast<uint64_t>(sqlite3_column_int64(traffic.get(), 1)),
                             static_cast<uint64_t>(sqlite3_column_int64(traffic.get(), 2))});
        }
        if (rc != SQLITE_OK) {
            return rc;
        }
    }
    return SQLITE_OK;
}

int WriteInto(sqlite3* db, bool moveMemory, const wchar_t* guid, const CountedMark& now, int64_t bucket,
              const CountedMark& seed) noexcept {
    int rc = Run(db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) {
        return rc;
    }
    rc = moveMemory ? MoveMemoryInto(db) : SQLITE_OK;
    if (rc == SQLITE_OK) {
        CountedMark last = ReadMark(db, guid);
        if (!last.known) {
            last = seed;
        }
        if (!StaleReading(last, now.sampleTime, now.uptimeMs)) {
            rc = StoreMark(db, guid, now);
            if (rc == SQLITE_OK) {
                rc = AddTraffic(db, guid, bucket, CounterGrowth(last, now.counters, now.sampleTime, now.uptimeMs));
            }
        }
    }
    rc = rc == SQLITE_OK ? Run(db, "COMMIT") : rc;
    if (rc != SQLITE_OK) {
        Run(db, "ROLLBACK");
    }
    return rc;
}

LastWrite* FindLastWrite(const wchar_t* guid) noexcept {
    for (LastWrite& write : store.lastWrites) {
        if (std::wcsncmp(write.guid, guid, std::size(write.guid)) == 0) {
            return &write;
        }
    }
    return nullptr;
}

// Kept in place of the oldest when the adapter has no entry yet.
void RememberWrite(const wchar_t* guid, uint64_t now) noexcept {
    LastWrite* entry = FindLastWrite(guid);
    if (!entry) {
        entry = &store.lastWrites[0];
        for (LastWrite& write : store.lastWrites) {
            if (write.time < entry->time) {
                entry = &write;
            }
        }
        CopyText(entry->guid, guid);
    }
    entry->time = now;
}

void AddTotals(sqlite3* db, const wchar_t* guid, const BucketRange* ranges, UsagePair* totals, size_t count) noexcept {
    Statement statement = Prepare(db,
                                  "SELECT coalesce(sum(t.received), 0), coalesce(sum(t.sent), 0) FROM traffic t"
                                  " WHERE t.adapter = (SELECT id FROM adapters WHERE guid=?1)"
                                  " AND t.bucket >= ?2 AND t.bucket < ?3");
    if (!statement) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        sqlite3_reset(statement.get());
        BindText(statement.get(), 1, guid);
        sqlite3_bind_int64(statement.get(), 2, ranges[i].first);
        sqlite3_bind_int64(statement.get(), 3, ranges[i].end);
        if (sqlite3_step(statement.get()) == SQLITE_ROW) {
            totals[i].received += static_cast<uint64_t>(sqlite3_column_int64(statement.get(), 0));
            totals[i].sent += static_cast<uint64_t>(sqlite3_column_int64(statement.get(), 1));
        }
    }
}

void VisitBuckets(sqlite3* db, const wchar_t* guid, const std::function<void(int64_t, UsagePair)>& visit) {
    Statement statement = Prepare(db,
                                  "SELECT t.bucket, t.received, t.sent FROM traffic t"
                                  " WHERE t.adapter = (SELECT id FROM adapters WHERE guid=?1)"
                                  " AND t.received + t.sent > 0 ORDER BY t.bucket");
    if (!statement) {
        return;
    }
    BindText(statement.get(), 1, guid);
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        visit(sqlite3_column_int64(statement.get(), 0),
              UsagePair{static_cast<uint64_t>(sqlite3_column_int64(statement.get(), 1)),
                        static_cast<uint64_t>(sqlite3_column_int64(statement.get(), 2))});
    }
}

}  // namespace

void AddUsageStoreUser() noexcept {
    StoreLock lock;
    ++store.users;
}

void RemoveUsageStoreUser() noexcept {
    StoreLock lock;
    if (store.users > 0 && --store.users == 0) {
        store.file.reset();
        store.memory.reset();
    }
}

UsageWrite WriteUsageCounts(const wchar_t* guid, UsagePair counters, int64_t sampleTime, uint64_t uptimeMs,
                            uint64_t now, const CountedMark& seed) noexcept {
    StoreLock lock;
    const CountedMark reading{1, counters, sampleTime, uptimeMs};
    RememberWrite(guid, now);
    const int64_t bucket = BucketOf(now);
    Opened opened = OpenFile();
    if (opened == Opened::Ready) {
        const int rc = WriteInto(store.file.get(), true, guid, reading, bucket, seed);
        opened = Classify(rc);
        if (opened == Opened::Ready) {
            store.memory.reset();
            return UsageWrite::Written;
        }
        if (opened == Opened::Damaged) {
            // Moved aside once no connection holds it; a new file starts at the next write.
            store.file.reset();
            wchar_t path[kPathCapacity];
            if (UsageDatabasePath(path, kPathCapacity)) {
                MoveAside(path);
            }
        }
    }
    if (opened == Opened::Busy) {
        return UsageWrite::Busy;
    }
    if (OpenMemory()) {
        WriteInto(store.memory.get(), false, guid, reading, bucket, seed);
    }
    return UsageWrite::InMemory;
}

bool UsageWrittenBetween(const wchar_t* guid, uint64_t since, uint64_t now) noexcept {
    StoreLock lock;
    const LastWrite* write = FindLastWrite(guid);
    return write && write->time >= since && write->time <= now;
}

void ReadUsageTotals(const wchar_t* guid, const BucketRange* ranges, UsagePair* totals, size_t count,
                     CountedMark* mark) noexcept {
    StoreLock lock;
    for (size_t i = 0; i < count; ++i) {
        totals[i] = {0, 0};
    }
    *mark = CountedMark{};
    if (OpenFile() == Opened::Ready) {
        AddTotals(store.file.get(), guid, ranges, totals, count);
        *mark = ReadMark(store.file.get(), guid);
    }
    // Memory holds what the file has not got yet, and the newer values.
    if (store.memory) {
        AddTotals(store.memory.get(), guid, ranges, totals, count);
        const CountedMark inMemory = ReadMark(store.memory.get(), guid);
        if (inMemory.known) {
            *mark = inMemory;
        }
    }
}

void ReadUsageBuckets(const wchar_t* guid, const std::function<void(int64_t bucket, UsagePair bytes)>& visit) {
    StoreLock lock;
    if (OpenFile() == Opened::Ready) {
        VisitBuckets(store.file.get(), guid, visit);
    }
    if (store.memory) {
        VisitBuckets(store.memory.get(), guid, visit);
    }
}

bool ClaimUsageWarning(const wchar_t* guid, const UsageWarningKey& key, int32_t level) noexcept {
    StoreLock lock;
    sqlite3* db = OpenFile() == Opened::Ready ? store.file.get() : OpenMemory() ? store.memory.get() : nullptr;
    if (!db) {
        return false;
    }
    Statement statement = Prepare(db,
                                  "INSERT INTO warnings(guid, month, allowance, start_day, level)"
                                  " VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(guid, month, allowance, start_day)"
                                  " DO UPDATE SET level=excluded.level WHERE level < excluded.level");
    if (!statement) {
        return false;
    }
    BindText(statement.get(), 1, guid);
    sqlite3_bind_int64(statement.get(), 2, key.monthFirst);
    sqlite3_bind_int(statement.get(), 3, key.allowanceMb);
    sqlite3_bind_int(statement.get(), 4, key.startDay);
    sqlite3_bind_int(statement.get(), 5, level);
    return sqlite3_step(statement.get()) == SQLITE_DONE && sqlite3_changes(db) > 0;
}

bool UsageDatabasePath(wchar_t* path, size_t capacity) noexcept {
    wchar_t folder[kPathCapacity];
    if (!FolderPath(folder, kPathCapacity)) {
        return false;
    }
    const int written = std::swprintf(path, capacity, L"%ls\\usage.db", folder);
    return written > 0 && static_cast<size_t>(written) < capacity;
}
