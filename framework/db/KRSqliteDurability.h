#pragma once

// What a commit promises once it has returned.
enum class KRSqliteDurability {
    // Flushed to the disk on every commit (a rollback journal and full
    // syncs): for the user's own data and sign-in.
    Full,
    // Write-ahead log, synced only at checkpoints: a commit costs no flush,
    // and a power cut may take back the last commits but never leaves a
    // broken file. For caches and logs that can be rebuilt or done without.
    Relaxed,
};
