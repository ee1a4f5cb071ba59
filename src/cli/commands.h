#pragma once

#include <optional>
#include <ostream>
#include <vector>

#include "books/insert.h"
#include "books/split.h"
#include "core/byte_text.h"

namespace juanzhi::cli {

// What the program's run ends with, for the shell.
enum ExitCode : int {
    AllDone = 0,
    SomeBooksFailed = 1,  // the others were done
    UsageError = 2,       // nothing was done
};

// Where the commands write: one line per book on `out`, failures with their
// reasons on `err`, where a progress line goes too when it is a terminal.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
};

// The five jobs, each over one `books` operation, with paths and texts
// already in the code page. Each returns the exit code of its run.
int renameCommand(const std::vector<ByteText>& books, const Console& console);
int mergeCommand(const std::vector<ByteText>& books, const ByteText& output,
                 const Console& console);
// Without a name, the pieces are named after the book's title.
int splitCommand(const ByteText& book, const std::optional<ByteText>& name, Numbering numbering,
                 const ByteText& folder, const Console& console);
int replaceCommand(const std::vector<ByteText>& books, const ByteText& search,
                   const ByteText& replacement, const Console& console);
int insertCommand(const std::vector<ByteText>& books, InsertPlaces places, const ByteText& content,
                  const Console& console);

}  // namespace juanzhi::cli
