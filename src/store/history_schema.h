#pragma once

// The tables of a folder's history; made when missing, so opening an existing one changes nothing.
// Texts live in a rowid table: there a text of a few kilobytes lies in its row, where keyed by its
// hash it would spill into overflow pages of its own and take three times the room.
inline constexpr const char* historySchema = R"(
CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS texts (id INTEGER PRIMARY KEY, hash BLOB NOT NULL UNIQUE,
                                  size INTEGER NOT NULL, compressed BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS versions (id INTEGER PRIMARY KEY, note INTEGER NOT NULL,
                                     kind INTEGER NOT NULL, since INTEGER NOT NULL,
                                     at INTEGER NOT NULL, hash BLOB NOT NULL);
CREATE INDEX IF NOT EXISTS versions_of_note ON versions (note, id);
CREATE INDEX IF NOT EXISTS versions_by_time ON versions (at, id);
CREATE INDEX IF NOT EXISTS versions_of_text ON versions (hash);
CREATE TABLE IF NOT EXISTS imported (key TEXT PRIMARY KEY) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS stored (bytes INTEGER NOT NULL);
INSERT INTO stored SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM stored);
CREATE TRIGGER IF NOT EXISTS text_added AFTER INSERT ON texts
    BEGIN UPDATE stored SET bytes = bytes + length(new.compressed); END;
CREATE TRIGGER IF NOT EXISTS text_dropped AFTER DELETE ON texts
    BEGIN UPDATE stored SET bytes = bytes - length(old.compressed); END;
CREATE TEMP TABLE IF NOT EXISTS dropped (hash BLOB PRIMARY KEY) WITHOUT ROWID;
CREATE TEMP TRIGGER IF NOT EXISTS version_dropped AFTER DELETE ON main.versions
    BEGIN INSERT OR IGNORE INTO dropped VALUES (old.hash); END;
)";
