#include "books/replace.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "books/batch_report.h"
#include "books/book_change.h"
#include "core/block_size.h"
#include "core/character_rule.h"
#include "core/pending_file.h"
#include "core/platform.h"
#include "core/text_blocks.h"
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

    // The new content, to be put in the book's place.
    std::optional<PendingFile> release() { return std::move(pending_); }

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

// Replaces every occurrence in a text handed over part by part, exactly as
// in the whole text at once. Each part is searched for whole occurrences;
// the bytes from the first character start at which an occurrence might
// still begin go in front of the next part. Character starts are walked as
// the whole-text rule walks them: on from the end of each replacement.
class Replacer {
  public:
    // `carried` holds the bytes between parts; one string may serve book
    // after book.
    Replacer(std::string_view search, std::string_view replacement, NewBook& out,
             std::string& carried)
        : search_(search), replacement_(replacement), out_(out), carried_(carried) {
        carried_.clear();
    }

    void feed(std::string_view part, bool last) {
        carried_.append(part);
        const std::string_view bytes = carried_;
        std::size_t from = 0;
        if (!search_.empty()) {
            for (std::size_t hit = findBytes(bytes, search_); hit != std::string_view::npos;
                 hit = findBytes(bytes, search_, from)) {
                out_.keep(bytes.substr(from, hit - from));
                out_.change(replacement_);
                from = hit + search_.size();
            }
        }
        const std::size_t cut = last ? bytes.size() : carryFrom(bytes, from);
        out_.keep(bytes.substr(from, cut - from));
        carried_.erase(0, cut);
    }

  private:
    // The first character start at or after `from` at which an occurrence
    // would reach past `bytes`; a lead byte at the end still wants its
    // second byte, so it starts no character of its own there.
    std::size_t carryFrom(std::string_view bytes, std::size_t from) const {
        if (search_.empty()) {
            return bytes.size();
        }
        const std::size_t reach = search_.size() - 1;
        const std::size_t target = std::max(from, bytes.size() > reach ? bytes.size() - reach : 0);
        const std::size_t cut = walkToCharacterStart(bytes, from, target);
        if (cut >= bytes.size() && bytes.size() > from &&
            isHighByte(static_cast<unsigned char>(bytes.back())) &&
            isCharacterStart(bytes, from, bytes.size() - 1)) {
            return bytes.size() - 1;
        }
        return std::min(cut, bytes.size());
    }

    std::string_view search_;
    std::string_view replacement_;
    NewBook& out_;
    std::string& carried_;
};

// Buffers that serve book after book of a batch.
struct Buffers {
    std::string blocks;
    std::string carried;
};

// The book with every occurrence replaced, written beside it only when
// something changed.
BookChange replaceInBook(const ByteText& path, const platform::OsFile& book,
                         std::string_view search, std::string_view replacement, Buffers& buffers) {
    NewBook newBook(path, book);
    // The search text as its own replacement changes nothing: it is only
    // checked that the book is plain text, as for any other search.
    const std::string_view searched = search == replacement ? std::string_view() : search;
    Replacer replacing(searched, replacement, newBook, buffers.carried);
    TextBlocks blocks(book, buffers.blocks);
    while (newBook.failure() == FileError::None) {
        const auto block = blocks.next();
        if (!block) {
            return BookChange::failed(Problem::CannotRead);
        }
        replacing.feed(block->text, block->last || !block->after.empty());
        // Only a run of end-of-text marks may follow a book's text: anything
        // else there (NUL, UTF-16 text) is no GBK text, which a replacement
        // would damage.
        if (!onlyEndMarks(block->after)) {
            return BookChange::failed(Problem::NotPlainText);
        }
        newBook.keep(block->after);
        if (block->last) {
            break;
        }
    }
    if (newBook.failure() != FileError::None) {
        return BookChange::failed(writeProblem(newBook.failure()));
    }
    if (!newBook.changed()) {
        return {};
    }
    return {newBook.release(), std::nullopt};
}

}  // namespace

ReplaceResult replaceInBooks(const std::vector<ByteText>& paths, const ByteText& search,
                             const ByteText& replacement, const BookReported& onReported) {
    ReplaceResult result;
    BookOutcomes report(
        paths, [&](const ByteText& book, const std::optional<Problem>& problem, bool changed) {
            if (changed) {
                result.changed.push_back(book);
            }
            if (onReported) {
                onReported(book, problem, changed);
            }
        });
    Buffers buffers;
    // Locked for the whole run, so that no other run changes the book
    // between its reading and its replacement.
    changeBooks(paths, platform::Access::ReadOnly, readProblem, report,
                [&](const ByteText& path, const platform::OsFile& book) {
                    return replaceInBook(path, book, search.bytes(), replacement.bytes(), buffers);
                });
    result.failures = report.failures();
    return result;
}

}  // namespace juanzhi
