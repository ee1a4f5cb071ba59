#include "core/text_file.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/character_rule.h"
#include "core/path.h"
#include "core/platform.h"

namespace juanzhi {

namespace {

// A short line costs one OS read.
constexpr std::size_t ReadAheadBytes = 512;
// insertLine moves the rest of the file through a buffer of this size.
constexpr std::size_t InsertBlockBytes = std::size_t{1} << 20;

const ByteText LineBreak("\r\n");

struct OpenEntry {
    platform::OsFile file;
    std::int64_t position = 0;
};

// The table of open files. Entries still open when the program ends are
// closed by its destructor.
class FileTable {
  public:
    TextFile add(platform::OsFile&& file) {
        while (entries_.contains(next_)) {
            advance();
        }
        const TextFile handle = next_;
        entries_.emplace(handle, OpenEntry{std::move(file), 0});
        advance();
        return handle;
    }

    OpenEntry* find(TextFile handle) {
        const auto found = entries_.find(handle);
        return found == entries_.end() ? nullptr : &found->second;
    }

    void remove(TextFile handle) { entries_.erase(handle); }

  private:
    void advance() { next_ = next_ == std::numeric_limits<TextFile>::max() ? 1 : next_ + 1; }

    std::unordered_map<TextFile, OpenEntry> entries_;
    TextFile next_ = 1;
};

FileTable& openFiles() {
    static FileTable table;
    return table;
}

struct ModeRule {
    platform::Access access;
    platform::Creation creation;
};

std::optional<ModeRule> ruleFor(OpenMode mode) {
    using platform::Access;
    using platform::Creation;
    switch (mode) {
        case OpenMode::Read:
            return ModeRule{Access::ReadOnly, Creation::MustExist};
        case OpenMode::ReadWrite:
            return ModeRule{Access::ReadWrite, Creation::MustExist};
        case OpenMode::Rewrite:
            return ModeRule{Access::WriteOnly, Creation::CreateOrTruncate};
        case OpenMode::Modify:
            return ModeRule{Access::WriteOnly, Creation::CreateOrKeep};
    }
    return std::nullopt;
}

// A failed read leaves the position at the end of the file.
ByteText failedRead(OpenEntry& entry) {
    if (const auto length = entry.file.length()) {
        entry.position = *length;
    }
    return {};
}

// Reads exactly `count` bytes at `offset`; false on a failure or a file that
// ended early.
bool readExactly(const platform::OsFile& file, std::int64_t offset, char* buffer,
                 std::size_t count) {
    while (count > 0) {
        const auto got = file.readAt(offset, buffer, count);
        if (!got || *got == 0) {
            return false;
        }
        buffer += *got;
        count -= *got;
        offset += static_cast<std::int64_t>(*got);
    }
    return true;
}

// Serves single bytes of a file through a block read ahead from the OS.
class ReadAhead {
  public:
    static constexpr int End = -1;
    static constexpr int Failed = -2;

    explicit ReadAhead(const platform::OsFile& file) : file_(file) {}

    // The byte at `offset`, End past the end of the file, or Failed.
    int byteAt(std::int64_t offset) {
        if (offset < start_ || offset >= start_ + static_cast<std::int64_t>(filled_)) {
            const auto got = file_.readAt(offset, block_.data(), block_.size());
            if (!got) {
                return Failed;
            }
            start_ = offset;
            filled_ = *got;
            if (filled_ == 0) {
                return End;
            }
        }
        return static_cast<unsigned char>(block_[static_cast<std::size_t>(offset - start_)]);
    }

  private:
    const platform::OsFile& file_;
    std::array<char, ReadAheadBytes> block_{};
    std::int64_t start_ = 0;
    std::size_t filled_ = 0;
};

// Length of the text in front of the first stop among `bytes`, and the
// offset where the position is to rest (on the stop byte, or on the NUL
// after a lead byte), or nothing when no stop is met.
struct Stop {
    std::size_t textLength;
    std::size_t restAt;
};

std::optional<Stop> findStop(std::string_view bytes) {
    const std::size_t length = textLengthBeforeStop(bytes);
    if (length == bytes.size()) {
        return std::nullopt;
    }
    return Stop{length,
                isStopByte(static_cast<unsigned char>(bytes[length])) ? length : length + 1};
}

// Copies the bytes from `from` to `end` on by `shift`, taking blocks from
// the end first so that no byte is overwritten before it has been copied.
platform::FileError moveUp(const platform::OsFile& file, std::int64_t from, std::int64_t end,
                           std::int64_t shift) {
    std::vector<char> block(static_cast<std::size_t>(
        std::clamp<std::int64_t>(end - from, 0, static_cast<std::int64_t>(InsertBlockBytes))));
    while (end > from) {
        const auto size = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(block.size()), end - from));
        const std::int64_t start = end - static_cast<std::int64_t>(size);
        if (!readExactly(file, start, block.data(), size)) {
            return platform::FileError::Other;
        }
        const auto written = file.writeAt(start + shift, std::string_view(block.data(), size));
        if (written != platform::FileError::None) {
            return written;
        }
        end = start;
    }
    return platform::FileError::None;
}

}  // namespace

std::size_t textLengthBeforeStop(std::string_view bytes) {
    // Stop bytes are rare, so they are looked for by the fast searches, and
    // only a candidate is checked against the character rule.
    std::size_t nul = bytes.find('\0');
    std::size_t sub = bytes.find(static_cast<char>(StopByteSub));
    while (nul != std::string_view::npos || sub != std::string_view::npos) {
        const std::size_t at = std::min(nul, sub);
        if (isCharacterStart(bytes, 0, at)) {
            return at;
        }
        if (at == nul) {
            return at - 1;  // a lead byte wanting a NUL ends the text
        }
        sub = bytes.find(static_cast<char>(StopByteSub), at + 1);  // 0x1A was a second byte
    }
    return bytes.size();
}

TextFile openFile(const ByteText& path, OpenMode mode) {
    platform::FileError ignored = platform::FileError::None;
    return openFile(path, mode, ignored);
}

TextFile openFile(const ByteText& path, OpenMode mode, platform::FileError& why) {
    const auto rule = ruleFor(mode);
    if (path.empty() || !rule) {
        why = path.empty() ? platform::FileError::BadName : platform::FileError::Other;
        return 0;
    }
    auto opened = platform::openFile(path, rule->access, rule->creation);
    why = opened.error;
    if (!opened.file) {
        return 0;
    }
    return openFiles().add(std::move(*opened.file));
}

void closeFile(TextFile file) {
    openFiles().remove(file);
}

ByteText readLine(TextFile file) {
    OpenEntry* entry = openFiles().find(file);
    if (!entry) {
        return {};
    }
    ReadAhead input(entry->file);
    std::string line;
    std::int64_t at = entry->position;
    while (true) {
        const int byte = input.byteAt(at);
        if (byte == ReadAhead::Failed) {
            return failedRead(*entry);
        }
        if (byte == ReadAhead::End) {
            break;
        }
        if (byte == '\n') {
            ++at;
            break;
        }
        if (isStopByte(static_cast<unsigned char>(byte))) {
            break;
        }
        if (isHighByte(static_cast<unsigned char>(byte))) {
            const int next = input.byteAt(at + 1);
            if (next == ReadAhead::Failed) {
                return failedRead(*entry);
            }
            if (next == ReadAhead::End) {
                line.push_back(static_cast<char>(byte));
                ++at;
                break;
            }
            if (next == StopByteNul) {
                ++at;  // rest on the NUL, past the lead byte
                break;
            }
            line.push_back(static_cast<char>(byte));
            line.push_back(static_cast<char>(next));
            at += 2;
            continue;
        }
        line.push_back(static_cast<char>(byte));
        ++at;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    entry->position = at;
    return ByteText::fromBuffer(std::move(line));
}

ByteText readText(TextFile file, std::int32_t count) {
    OpenEntry* entry = openFiles().find(file);
    if (!entry || count <= 0) {
        return {};
    }
    const auto length = entry->file.length();
    if (!length) {
        return {};
    }
    const std::int64_t start = entry->position;
    const std::int64_t wanted =
        std::min<std::int64_t>(count, std::max<std::int64_t>(0, *length - start));

    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(wanted));
    } catch (const std::bad_alloc&) {
        entry->position = *length;
        return {};
    }
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const auto got = entry->file.readAt(start + static_cast<std::int64_t>(filled),
                                            bytes.data() + filled, bytes.size() - filled);
        if (!got) {
            return failedRead(*entry);
        }
        if (*got == 0) {
            break;  // the file became shorter meanwhile
        }
        filled += *got;
    }
    bytes.resize(filled);

    if (const auto stop = findStop(bytes)) {
        entry->position = start + static_cast<std::int64_t>(stop->restAt);
        bytes.resize(stop->textLength);
    } else {
        entry->position = start + static_cast<std::int64_t>(filled);
    }
    return ByteText::fromBuffer(std::move(bytes));
}

bool writeText(TextFile file, const ByteText& text) {
    OpenEntry* entry = openFiles().find(file);
    if (!entry) {
        return false;
    }
    if (entry->file.writeAt(entry->position, text.bytes()) != platform::FileError::None) {
        return false;
    }
    entry->position += static_cast<std::int64_t>(text.size());
    return true;
}

bool insertLine(TextFile file, const ByteText& text) {
    platform::FileError ignored = platform::FileError::None;
    return insertLine(file, text, ignored);
}

bool insertLine(TextFile file, const ByteText& text, platform::FileError& why) {
    using platform::FileError;
    OpenEntry* entry = openFiles().find(file);
    why = FileError::Other;
    if (!entry) {
        return false;
    }
    const auto length = entry->file.length();
    if (!length) {
        return false;
    }
    const std::int64_t at = entry->position;
    const ByteText inserted = concatTexts(text, LineBreak);
    const auto shift = static_cast<std::int64_t>(inserted.size());

    // Only the bytes that come to lie past the old end need new space, so
    // they are written first: a full disk then stops the insertion before any
    // byte of the book has been overwritten, and the book is cut back.
    if (at >= *length) {
        why = entry->file.writeAt(at, inserted.bytes());
        if (why != FileError::None) {
            entry->file.truncate(*length);
            return false;
        }
    } else {
        const std::int64_t spill = std::max(at, *length - shift);
        why = moveUp(entry->file, spill, *length, shift);
        if (why != FileError::None) {
            entry->file.truncate(*length);
            return false;
        }
        why = moveUp(entry->file, at, spill, shift);
        if (why == FileError::None) {
            why = entry->file.writeAt(at, inserted.bytes());
        }
        if (why != FileError::None) {
            return false;
        }
    }
    entry->position = at + shift;
    return true;
}

bool seekToEnd(TextFile file) {
    OpenEntry* entry = openFiles().find(file);
    if (!entry) {
        return false;
    }
    const auto length = entry->file.length();
    if (!length) {
        return false;
    }
    entry->position = *length;
    return true;
}

std::int32_t filePosition(TextFile file) {
    const OpenEntry* entry = openFiles().find(file);
    if (!entry || entry->position > std::numeric_limits<std::int32_t>::max()) {
        return -1;
    }
    return static_cast<std::int32_t>(entry->position);
}

bool atEndOfFile(TextFile file, bool stopByteIsEnd) {
    const OpenEntry* entry = openFiles().find(file);
    if (!entry) {
        return true;
    }
    const auto length = entry->file.length();
    if (!length || entry->position >= *length) {
        return true;
    }
    if (!stopByteIsEnd) {
        return false;
    }
    char byte = 0;
    const auto got = entry->file.readAt(entry->position, &byte, 1);
    return !got || *got == 0 || isStopByte(static_cast<unsigned char>(byte));
}

bool renameFile(const ByteText& oldPath, const ByteText& newPath) {
    return platform::renameNoReplace(oldPath, newPath) == platform::FileError::None;
}

ByteText programDirectory() {
    // Found once: the program's file does not move while it runs.
    static const ByteText directory = [] {
        const auto path = platform::executablePath();
        return path ? folderOf(*path) : ByteText();
    }();
    return directory;
}

}  // namespace juanzhi
