#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/code_page.h"
#include "core/platform.h"

namespace juanzhi::cli {

namespace {

constexpr std::string_view ProgramName = "juanzhi-cli";
constexpr std::string_view SeeHelp = "用法见 juanzhi-cli --help。";

// The program speaks Chinese, as the window does: its own words, its help
// and the parser's complaints alike.
void speakChinese(CLI::App& app) {
    const auto formatter = app.get_formatter();
    for (const auto& [key, label] : {std::pair{"Usage", "用法"},
                                     {"OPTIONS", "选项"},
                                     {"Options", "选项"},
                                     {"Positionals", "参数"},
                                     {"SUBCOMMAND", "命令"},
                                     {"SUBCOMMANDS", "命令"},
                                     {"Subcommands", "命令"},
                                     {"REQUIRED", "必需"},
                                     {"TEXT", "文字"}}) {
        formatter->label(key, label);
    }
    app.option_defaults()->group("选项");
    app.set_help_flag("-h,--help", "显示这段说明");
}

CLI::App* command(CLI::App& app, std::string name, std::string description) {
    CLI::App* added = app.add_subcommand(std::move(name), std::move(description));
    added->group("命令");
    added->set_help_flag("-h,--help", "显示这段说明");
    return added;
}

// What the parser found wrong, in the program's words; the parser's own
// text is kept only for what it names (an option, an argument).
std::string parseErrorText(const CLI::Error& error) {
    const std::string what = error.what();
    const auto after = [&what](std::string_view marker) {
        const std::size_t at = what.find(marker);
        return at == std::string::npos ? std::string() : what.substr(at + marker.size());
    };
    const auto before = [&what](std::string_view marker) {
        const std::size_t at = what.find(marker);
        return at == std::string::npos ? std::string() : what.substr(0, at);
    };
    if (what.find("subcommand") != std::string::npos) {
        return "缺少命令（rename、merge、split、replace 或 insert）";
    }
    if (const std::string name = before(" is required"); !name.empty()) {
        return "缺少 " + name;
    }
    if (what.find("not expected") != std::string::npos) {
        return "多余的参数：" + after(": ");
    }
    if (what.find(" missing") != std::string::npos && !before(":").empty()) {
        return "缺少 " + before(":") + " 的值";
    }
    if (what.find("required but received") != std::string::npos) {
        return "参数的个数不对：" + before(":") + " 只能有一个";
    }
    return "命令行有误（" + what + "）";
}

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
            auto one = path(book, "第 " + std::to_string(converted.size() + 1) + " 个文件名");
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
                     << "不是有效的 UTF-8，无法用书的代码页表示；没有改动任何书\n";
    }

    const Console& console_;
};

int usageError(const Console& console, std::string_view message) {
    console.err << ProgramName << ": " << message << '\n' << SeeHelp << '\n';
    return UsageError;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments, const Console& console) {
    CLI::App app(
        "卷帙坊命令行：批量处理 GBK（代码页 936）的 txt 电子书。\n"
        "文字和文件名以 UTF-8 输入；书的内容从不重新编码。",
        std::string(ProgramName));
    speakChinese(app);
    app.require_subcommand(1);
    app.failure_message([](const CLI::App*, const CLI::Error& error) {
        return std::string(ProgramName) + ": " + parseErrorText(error) + '\n' +
               std::string(SeeHelp) + '\n';
    });
    Request request;

    CLI::App* rename = command(app, "rename", "把每本书改名为其第一行中的书名，仍在原来的文件夹。");
    rename->add_option("FILE", request.books, "书")->required();

    CLI::App* merge = command(app, "merge", "按给出的顺序把多本书合并为一本。");
    merge->add_option("-o,--output", request.output, "合并成的书（已有则替换）")->required();
    merge->add_option("FILE", request.books, "书，按合并的顺序")->required();

    CLI::App* split =
        command(app, "split", "在章节标题（第…章、第…节）处把一本书分割为编号的文件。");
    split->add_flag("--prefix", request.prefix, "编号在前：1_书名.txt（默认为 书名_1.txt）");
    split->add_option("--name", request.name, "分割出的文件的名字（默认为书名）");
    split->add_option("--out", request.folder, "分割出的文件所在的文件夹（默认为当前文件夹）");
    split->add_option("FILE", request.books, "书")->required()->expected(1);

    CLI::App* replace = command(app, "replace", "在每本书中替换一段文字的所有出现。");
    replace->add_option("--search", request.search, "要查找的文字")->required();
    replace->add_option("--with", request.replacement, "替换成的文字（可以为空）")->required();
    replace->add_option("FILE", request.books, "书")->required();

    CLI::App* insert = command(app, "insert", "在每本书的第一行之后和／或末尾插入一行。");
    insert->add_flag("--second-line", request.secondLine, "作为第二行插入");
    insert->add_flag("--end", request.endOfFile, "插入在末尾（默认）");
    insert->add_option("--text", request.content, "要插入的一行")->required();
    insert->add_option("FILE", request.books, "书")->required();

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
        const auto output = convert.path(request.output, "-o 的文件名");
        return output ? mergeCommand(*books, *output, console) : UsageError;
    }
    if (split->parsed()) {
        const auto folder = convert.path(request.folder, "--out 的文件夹名");
        if (!folder) {
            return UsageError;
        }
        std::optional<ByteText> name;
        if (request.name && !(name = convert.path(*request.name, "--name 的名字"))) {
            return UsageError;
        }
        // Every piece would fail alike.
        if (!folder->empty() && !platform::isFolder(*folder)) {
            return usageError(console, "--out 所指的文件夹不存在：" + request.folder);
        }
        const Numbering numbering = request.prefix ? Numbering::Prefix : Numbering::Suffix;
        return splitCommand(books->front(), name, numbering, *folder, console);
    }
    if (replace->parsed()) {
        if (request.search.empty()) {
            return usageError(console, "--search 为空，没有要查找的文字");
        }
        const auto search = convert.text(request.search, "--search 的文字");
        const auto replacement = convert.text(request.replacement, "--with 的文字");
        if (!search || !replacement) {
            return UsageError;
        }
        return replaceCommand(*books, *search, *replacement, console);
    }
    const auto content = convert.text(request.content, "--text 的文字");
    if (!content) {
        return UsageError;
    }
    // Neither place given means the end, as on the page.
    const InsertPlaces places{request.secondLine, request.endOfFile || !request.secondLine};
    return insertCommand(*books, places, *content, console);
}

}  // namespace juanzhi::cli
