#include "books/replace.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/block_size.h"
#include "core/character_rule.h"
#include "core/pending_file.h"
#include "core/platform.h"
#include "core/text_file.h"

namespace juanzhi {

using platform::FileError;

namespace {


// The new content of a book, written beside it only from its first change
// on. Until then it is the book's own start, which is then copied from the
// book; so a book without an occurrence is never written at all.
class NewBook {
  public:
    NewBook(const ByteText& path, const platform::OsFile& book) : path_(path), book_(book) {}

    // Bytes of the book that stay as they are, in order.
    void keep(std::string_view original) {
        if (pending_) {
            write(original);
        } else {
            unchanged_ += static_cast<std::int64_t>(original.size());
        }
    }

    // A replacement, in the place of an occurrence.
    void change(std::string_view replacement) {
        if (!pending_ && !start()) {
            return;
        }
        write(replacement);
    }

    bool changed() const { return pending_.has_value(); }
    FileError failure() const { return failed_; }

    // Puts the new content in the place of the book in one step, keeping the
    // book's permissions.
    FileError commit() {
        if (failed_ != FileError::None) {
            return failed_;
        }
        return pending_->commitOver(book_);
    }

  private:
    bool start() {
        // A book the user may not write stays as it is, although its folder
        // would let a new file take its place.
        const FileError refused =
            platform::openFile(path_, platform::Access::ReadWrite, platform::Creation::MustExist)
                .error;
        if (refused != FileError::None) {
            failed_ = refused;
            return false;
        }
        auto created = PendingFile::create(path_, failed_);
        if (!created) {
            return false;
        }
        pending_.emplace(std::move(*created));
        return copyUnchangedStart();
    }

    bool copyUnchangedStart() {
        std::string block(static_cast<std::size_t>(std::min<std::int64_t>(
                              unchanged_, static_cast<std::int64_t>(BlockBytes))),
                          '\0');
        for (std::int64_t offset = 0; offset < unchanged_;) {
            const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(
                unchanged_ - offset, static_cast<std::int64_t>(block.size())));
            const auto got = book_.readAt(offset, block.data(), wanted);
            if (!got || *got == 0) {
                failed_ = FileError::Other;  // it became shorter or unreadable meanwhile
                return false;
            }
            write(std::string_view(block.data(), *got));
            offset += static_cast<std::int64_t>(*got);
        }
        return failed_ == FileError::None;
    }

    void write(std::string_view bytes) {
        if (failed_ == FileError::None) {
            failed_ = pending_->append(bytes);
        }
    }

    const ByteText& path_;
    const platform::OsFile& book_;
    std::int64_t unchanged_ = 0;  // bytes of the book's start kept before any change
    std::optional<PendingFile> pending_;
    FileError failed_ = FileError::None;
};

// Only a run of end-of-text marks may follow a book's text: anything else
// there (NUL, UTF-16 text) is no GBK text, which a replacement would damage.
bool onlyEndMarks(std::string_view bytes) {
    return bytes.find_first_not_of(static_cast<char>(StopByteSub)) == std::string_view::npos;
}

enum class Outcome { Unchanged, Changed };

struct BookOutcome {
    Outcome outcome = Outcome::Unchanged;
    std::optional<Problem> problem;
};

// Replaces every occurrence in a book read block by block. Each block is
// searched up to the last place where a whole occurrence may still start;
// the bytes from there on (fewer than the search text, and a lead byte
// waiting for its second byte) go in front of the next block, so an
// occurrence across two blocks is found as in the whole book.
class BookReplacement {
  public:
    BookReplacement(const platform::OsFile& book, std::string_view search,
                    std::string_view replacement, NewBook& out)
        : book_(book),
          search_(search),
          replacement_(replacement),
          out_(out),
          buffer_(new char[BlockBytes + search.size() + 1]) {}

    std::optional<Problem> run() {
        while (out_.failure() == FileError::None) {
            const auto got = book_.readAt(offset_, buffer_.get() + carried_, BlockBytes);
            if (!got) {
                return Problem::CannotRead;
            }
            offset_ += static_cast<std::int64_t>(*got);
            const bool atEnd = *got == 0;
            const std::string_view bytes(buffer_.get(), carried_ + *got);
            carried_ = 0;
            if (textEnded_) {
                if (!onlyEndMarks(bytes)) {
                    return Problem::NotPlainText;
                }
                out_.keep(bytes);
                if (atEnd) {
                    return std::nullopt;
                }
                continue;
            }
            // A lead byte at the end waits for its second byte: a stop byte
            // there would be that second byte.
            const bool leadWaits = !atEnd && !isCharacterStart(bytes, 0, bytes.size());
            const std::string_view whole = bytes.substr(0, bytes.size() - (leadWaits ? 1 : 0));
            const std::size_t text = textLengthBeforeStop(whole);
            if (text < whole.size() || atEnd) {
                replaceIn(bytes.substr(0, text), text);
                const std::string_view rest = bytes.substr(text);
                if (!onlyEndMarks(rest)) {
                    return Problem::NotPlainText;
                }
                out_.keep(rest);
                if (atEnd) {
                    return std::nullopt;
                }
                textEnded_ = true;
                continue;
            }
            const std::string_view rest = bytes.substr(replaceIn(whole, safeEnd(whole)));
            std::memmove(buffer_.get(), rest.data(), rest.size());
            carried_ = rest.size();
        }
        return std::nullopt;
    }

  private:
    // The last character start at or before the first place where a whole
    // occurrence no longer fits in `bytes`.
    std::size_t safeEnd(std::string_view bytes) const {
        if (search_.empty()) {
            return bytes.size();
        }
        if (bytes.size() < search_.size()) {
            return 0;
        }
        const std::size_t limit = bytes.size() - search_.size() + 1;
        return isCharacterStart(bytes, 0, limit) ? limit : limit - 1;
    }

    // Hands `bytes` on, occurrences that start before `end` replaced, up to
    // `end` or the end of the last occurrence; returns how far that is.
    std::size_t replaceIn(std::string_view bytes, std::size_t end) {
        std::size_t from = 0;
        if (!search_.empty()) {
            // Occurrences that start before `end`, and only those, lie
            // wholly in front of end + the search text's length - 1.
            const std::string_view scope =
                bytes.substr(0, std::min(bytes.size(), end + search_.size() - 1));
            for (std::size_t hit = findBytes(scope, search_); hit != std::string_view::npos;
                 hit = findBytes(scope, search_, from)) {
                out_.keep(bytes.substr(from, hit - from));
                out_.change(replacement_);
                from = hit + search_.size();
            }
        }
        if (from >= end) {
            return from;
        }
        out_.keep(bytes.substr(from, end - from));
        return end;
    }

    const platform::OsFile& book_;
    std::string_view search_;
    std::string_view replacement_;
    NewBook& out_;
    std::unique_ptr<char[]> buffer_;
    std::size_t carried_ = 0;  // bytes in front of the next block's
    std::int64_t offset_ = 0;  // where the next block is read
    bool textEnded_ = false;   // a stop byte was reached
};

BookOutcome replaceInBook(const ByteText& path, std::string_view search,
                          std::string_view replacement) {
    const auto opened =
        platform::openFile(path, platform::Access::ReadOnly, platform::Creation::MustExist);
    if (!opened.file) {
        return {Outcome::Unchanged, readProblem(opened.error)};
    }
    NewBook newBook(path, *opened.file);
    // The search text as its own replacement changes nothing: it is only
    // checked that the book is plain text, as for any other search.
    const std::string_view searched = search == replacement ? std::string_view() : search;
    BookReplacement replacing(*opened.file, searched, replacement, newBook);
    if (const auto problem = replacing.run()) {
        return {Outcome::Unchanged, problem};
    }
    if (!newBook.changed()) {
        if (newBook.failure() != FileError::None) {
            return {Outcome::Unchanged, writeProblem(newBook.failure())};
        }
        return {};
    }
    if (const FileError why = newBook.commit(); why != FileError::None) {
        return {Outcome::Unchanged, writeProblem(why)};
    }
    return {Outcome::Changed, std::nullopt};
}

}  // namespace

ReplaceResult replaceInBooks(const std::vector<ByteText>& paths, const ByteText& search,
                             const ByteText& replacement, const BookHandled& onHandled) {
    ReplaceResult result;
    for (const ByteText& path : paths) {
        const BookOutcome done = replaceInBook(path, search.bytes(), replacement.bytes());
        if (done.problem) {
            result.failures.push_back({path, *done.problem});
            continue;
        }
        if (done.outcome == Outcome::Changed) {
            result.changed.push_back(path);
        }
        if (onHandled) {
            onHandled(path);
        }
    }
    return result;
}

}  // namespace juanzhi
