#include "books/failure.h"

namespace juanzhi {

using platform::FileError;

std::string_view problemText(Problem problem) {
    switch (problem) {
        case Problem::NotFound:
            return "文件不存在";
        case Problem::NoAccess:
            return "没有权限，或文件正被其他程序使用";
        case Problem::CannotRead:
            return "无法读取文件";
        case Problem::NoTitle:
            return "第一行中找不到书名";
        case Problem::NameTaken:
            return "已有同名文件";
        case Problem::BadName:
            return "文件名无效或太长";
        case Problem::DiskFull:
            return "磁盘空间不足";
        case Problem::CannotWrite:
            return "无法写入文件";
        case Problem::CannotRename:
            return "无法改名";
        case Problem::PieceWouldBeBook:
            return "分割出的文件会覆盖原书，未分割";
        case Problem::NotPlainText:
            return "文件中有空字节等非文本内容，未改动";
        case Problem::TextNotSavable:
            return "输入的文字中有无法保存的字符，未改动";
        case Problem::InUse:
            return "文件正被另一个任务改动，未改动";
        case Problem::IsFolder:
            return "这是文件夹，不是文件";
        case Problem::NotAFile:
            return "这不是普通文件";
        case Problem::OutOfMemory:
            return "内存不足";
    }
    return "未知错误";
}

namespace {

// The kinds that mean the same whatever was being done; nothing otherwise.
std::optional<Problem> commonProblem(FileError error) {
    switch (error) {
        case FileError::NotFound:
            return Problem::NotFound;
        case FileError::AccessDenied:
            return Problem::NoAccess;
        case FileError::BadName:
            return Problem::BadName;
        case FileError::DiskFull:
            return Problem::DiskFull;
        case FileError::Busy:
            return Problem::InUse;
        case FileError::IsFolder:
            return Problem::IsFolder;
        case FileError::NotAFile:
            return Problem::NotAFile;
        default:
            return std::nullopt;
    }
}

}  // namespace

Problem readProblem(FileError error) {
    return commonProblem(error).value_or(Problem::CannotRead);
}

Problem writeProblem(FileError error) {
    return commonProblem(error).value_or(Problem::CannotWrite);
}

Problem renameProblem(FileError error) {
    if (error == FileError::AlreadyExists) {
        return Problem::NameTaken;
    }
    return commonProblem(error).value_or(Problem::CannotRename);
}

}  // namespace juanzhi
