#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "hostutil/ripemd160.h"
#include "test_files.h"
#include "ventus.h"

namespace {

using namespace hostutil_test;

std::string digest_of_file(const std::string &path, int expected_result = 1) {
    char digest[64];
    std::fill(std::begin(digest), std::end(digest), 'X');
    EXPECT_EQ(RMDcalc(path.c_str(), digest), expected_result) << path;
    EXPECT_EQ(digest[41], 'X') << "written beyond the 41 bytes";
    return digest;
}

std::string digest_of_bytes(const temporary_folder &folder, const std::string &bytes) {
    const std::string path = folder.file("message");
    write_file(path, bytes);
    return digest_of_file(path);
}

// The digest printed by the OpenSSL command line (legacy provider), or by
// rhash where that is not available.
std::string peer_digest(const std::string &path) {
    std::string out = shell_output("openssl dgst -provider legacy -provider default -ripemd160 -r " +
                                   shell_quoted(path) + " 2>/dev/null || rhash --ripemd160 " + shell_quoted(path));
    return out.substr(0, 40);
}

TEST(RMDcalc, PublishedTestVectors) {
    temporary_folder folder;
    EXPECT_EQ(digest_of_bytes(folder, ""), "9c1185a5c5e9fc54612808977ee8f548b2258d31");
    EXPECT_EQ(digest_of_bytes(folder, "a"), "0bdc9d2d256b3ee9daae347be6f4dc835a467ffe");
    EXPECT_EQ(digest_of_bytes(folder, "abc"), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
    EXPECT_EQ(digest_of_bytes(folder, "message digest"), "5d0689ef49d2fae572b881b123a85ffa21595f36");
    EXPECT_EQ(digest_of_bytes(folder, "abcdefghijklmnopqrstuvwxyz"),
              "f71c27109c692c1b56bbdceb5b9d2865b3708dbc");
    EXPECT_EQ(digest_of_bytes(folder, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "12a053384a9c0c88e405a06c27dcf49ada62eb2b");
    EXPECT_EQ(digest_of_bytes(folder, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "b0e20b6e3116640286ed3a87a5713079b21f5189");
    std::string eighty_digits;
    for (int i = 0; i < 8; ++i) eighty_digits += "1234567890";
    EXPECT_EQ(digest_of_bytes(folder, eighty_digits), "9b752e45573d4b39f4dbd3323cab82bf63326bfb");
    EXPECT_EQ(digest_of_bytes(folder, std::string(1000000, 'a')),
              "52783243c1697bdbe16d37f97f68f08325dc1528");
}

TEST(RMDcalc, BlockAndPieceBoundariesMatchOpenSsl) {
    SKIP_WITHOUT_HOST_TOOL("openssl");
    temporary_folder folder;
    std::mt19937 random{42};
    for (std::size_t size : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1023u, 1024u, 1025u, 1048576u,
                             1048577u, 3u * 1048576u + 17u}) {
        std::string bytes(size, '\0');
        for (char &byte : bytes) byte = static_cast<char>(random());
        const std::string path = folder.file("random-" + std::to_string(size));
        write_file(path, bytes);
        const std::string digest = digest_of_file(path);
        EXPECT_EQ(digest, peer_digest(path)) << size << " bytes";
        EXPECT_EQ(digest.find_first_not_of("0123456789abcdef"), std::string::npos);
    }
}

TEST(RMDcalc, UpdatesInAnyPiecesGiveTheSameDigest) {
    std::string bytes(5000, '\0');
    std::mt19937 random{7};
    for (char &byte : bytes) byte = static_cast<char>(random());
    ventus::ripemd160 whole;
    whole.update(bytes.data(), bytes.size());
    const auto expected = whole.finish();
    for (std::size_t piece : {1u, 3u, 63u, 64u, 65u, 1000u}) {
        ventus::ripemd160 pieces;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            pieces.update(bytes.data() + at, std::min(piece, bytes.size() - at));
        }
        EXPECT_EQ(pieces.finish(), expected) << "pieces of " << piece;
    }
}

TEST(RMDcalc, EightThreadsHashAtOnce) {
    SKIP_WITHOUT_HOST_TOOL("openssl");
    temporary_folder folder;
    std::vector<std::string> paths, expected;
    for (int i = 0; i < 8; ++i) {
        paths.push_back(folder.file("file" + std::to_string(i)));
        write_file(paths.back(), std::string(300000 + 1000 * i, static_cast<char>('a' + i)));
        expected.push_back(peer_digest(paths.back()));
    }
    std::vector<std::string> results(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 10; ++round) {
                char digest[41];
                if (RMDcalc(paths[i].c_str(), digest) != 1 || digest != expected[i]) {
                    results[i] = digest;
                    return;
                }
            }
            results[i] = expected[i];
        });
    }
    for (auto &thread : threads) thread.join();
    EXPECT_EQ(results, expected);
}

TEST(RMDcalc, UnreadableFilesGiveZeroAndTheEmptyText) {
    temporary_folder folder;
    EXPECT_EQ(digest_of_file(folder.file("missing"), 0), "");
    EXPECT_EQ(digest_of_file(folder.path().string(), 0), "");  // a folder cannot be read
    char digest[41] = "untouched";
    EXPECT_EQ(RMDcalc(nullptr, digest), 0);
    EXPECT_STREQ(digest, "");
    EXPECT_EQ(RMDcalc(folder.file("x").c_str(), nullptr), 0);
}

}  // namespace
