#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string_view>

#include "core/code_page.h"
#include "core/platform.h"

namespace juanzhi::cli {

namespace {

constexpr std::string_view ProgramName = "juanzhi-cli";

// Everything the command line can give, as typed.
struct Request {
    std::vector<std::string> books;
    std::string output;
    std::optional<std::string> name;
    std::string folder;
    bool prefix = false;
    std::string search;
    std::string replacement;
    std::string content;
    bool secondLine = false;
    bool endOfFile = false;
};

// Turns what was typed into code-page bytes, or says what cannot be
// converted and gives nothing.
class Converter {
  public:
    explicit Converter(const Console& console) : console_(console) {}

    std::optional<ByteText> path(const std::string& typed, std::string_view what) {
        auto converted = utf8ToCodePage(typed);
        if (!converted) {
            refuse(what);
        }
        return converted;
    }

    // A typed text goes into books, whose lines end in CR LF: so must its
    // own, or a text of several lines would never be found.
    std::optional<ByteText> text(const std::string& typed, std::string_view what) {
        const auto converted = path(typed, what);
        if (!converted) {
            return std::nullopt;
        }
        const ByteText lines = replaceAll(*converted, ByteText("\r\n"), ByteText("\n"));
        return replaceAll(lines, ByteText("\n"), ByteText("\r\n"));
    }

    std::optional<std::vector<ByteText>> books(const std::vector<std::string>& typed) {
        std::vector<ByteText> converted;
        converted.reserve(typed.size());
        for (const std::string& book : typed) {
            // Named by its place: its own bytes would garble the terminal.
            auto one = path(book, "FILE " + std::to_string(converted.size() + 1));
            if (!one) {
                return std::nullopt;
            }
            converted.push_back(std::move(*one));
        }
        return converted;
    }

  private:
    void refuse(std::string_view what) {
        console_.err << ProgramName << ": " << what
                     << " is not valid UTF-8, so it has no form in the books' code page;"
                        " no book was touched\n";
    }

    const Console& console_;
};

int usageError(const Console& console, std::string_view message) {
    console.err << ProgramName << ": " << message << "\nRun with --help for more information.\n";
    return UsageError;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments, const Console& console) {
    CLI::App app(
        "Batch jobs on Chinese e-books: GBK (code page 936) .txt files.\n"
        "Texts and file names are typed in UTF-8; book contents are never re-encoded.",
        std::string(ProgramName));
    app.require_subcommand(1);
    app.failure_message([](const CLI::App*, const CLI::Error& error) {
        return std::string(ProgramName) + ": " + error.what() +
               "\nRun with --help for more information.\n";
    });
    Request request;

    CLI::App* rename = app.add_subcommand(
        "rename", "Rename each book to the title in its first line, in its own folder.");
    rename->add_option("FILE", request.books, "The books")->required();

    CLI::App* merge =
        app.add_subcommand("merge", "Join the books, in the order given, into one book.");
    merge->add_option("-o,--output", request.output, "The merged book (replaced if it exists)")
        ->required();
    merge->add_option("FILE", request.books, "The books, in order")->required();

    CLI::App* split = app.add_subcommand(
        "split", "Cut a book at its chapter headings (第…章, 第…节) into numbered pieces.");
    split->add_flag("--prefix", request.prefix, "Number first: 1_NAME.txt (default NAME_1.txt)");
    split->add_option("--name", request.name, "The pieces' name (default: the book's title)");
    split->add_option("--out", request.folder, "The folder for the pieces (default: this one)");
    split->add_option("FILE", request.books, "The book")->required()->expected(1);

    CLI::App* replace =
        app.add_subcommand("replace", "Replace every occurrence of a text in each book.");
    replace->add_option("--search", request.search, "The text to find")->required();
    replace->add_option("--with", request.replacement, "The text to put in its place (or empty)")
        ->required();
    replace->add_option("FILE", request.books, "The books")->required();

    CLI::App* insert = app.add_subcommand(
        "insert", "Insert a line after the first line and/or at the end of each book.");
    insert->add_flag("--second-line", request.secondLine, "Insert it as the second line");
    insert->add_flag("--end", request.endOfFile, "Append it at the end (the default)");
    insert->add_option("--text", request.content, "The line to insert")->required();
    insert->add_option("FILE", request.books, "The books")->required();

    std::vector<const char*> argv;
    argv.reserve(arguments.size());
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, console.out, console.err);
        return code == 0 ? AllDone : UsageError;
    }

    Converter convert(console);
    const auto books = convert.books(request.books);
    if (!books) {
        return UsageError;
    }

    if (rename->parsed()) {
        return renameCommand(*books, console);
    }
    if (merge->parsed()) {
        const auto output = convert.path(request.output, "the output's name");
        return output ? mergeCommand(*books, *output, console) : UsageError;
    }
    if (split->parsed()) {
        const auto folder = convert.path(request.folder, "the folder's name");
        if (!folder) {
            return UsageError;
        }
        std::optional<ByteText> name;
        if (request.name && !(name = convert.path(*request.name, "the name"))) {
            return UsageError;
        }
        // Every piece would fail alike.
        if (!folder->empty() && !platform::isFolder(*folder)) {
            return usageError(console, "--out: there is no folder " + request.folder);
        }
        const Numbering numbering = request.prefix ? Numbering::Prefix : Numbering::Suffix;
        return splitCommand(books->front(), name, numbering, *folder, console);
    }
    if (replace->parsed()) {
        if (request.search.empty()) {
            return usageError(console, "--search is empty: there is nothing to look for");
        }
        const auto search = convert.text(request.search, "the text of --search");
        const auto replacement = convert.text(request.replacement, "the text of --with");
        if (!search || !replacement) {
            return UsageError;
        }
        return replaceCommand(*books, *search, *replacement, console);
    }
    const auto content = convert.text(request.content, "the text of --text");
    if (!content) {
        return UsageError;
    }
    // Neither place given means the end, as on the page.
    const InsertPlaces places{request.secondLine, request.endOfFile || !request.secondLine};
    return insertCommand(*books, places, *content, console);
}

}  // namespace juanzhi::cli
