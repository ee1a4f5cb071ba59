#pragma once

#include <cstddef>
#include <string>

#include "support/gbk.h"

namespace juanzhi::test {

// A GBK book of exactly `size` bytes, lines of Chinese text with CR LF,
// larger than any single read when asked to be.
inline std::string largeBook(std::size_t size) {
    const std::string line = gbkBytes("　　他走进了第一章的山谷，天色已晚。") + "\r\n";
    std::string book;
    book.reserve(size + line.size());
    while (book.size() < size) {
        book += line;
    }
    book.resize(size, 'x');
    if (static_cast<unsigned char>(book.back()) >= 0x80) {
        book.back() = 'x';  // no lead byte cut off from its pair at the end
    }
    return book;
}

}  // namespace juanzhi::test
