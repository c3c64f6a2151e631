#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ventus.h"

namespace {

// Calls sort with a result buffer of exactly strlen(list) + 1 bytes between
// guard bytes, checks the guards and returns the result text.
template <typename Sort>
std::string sorted(Sort sort, const std::string &list, int expected_result = 0) {
    constexpr char guard = '\x5A';
    constexpr std::size_t guard_size = 16;
    std::vector<char> buffer(list.size() + 1 + 2 * guard_size, guard);
    char *result = buffer.data() + guard_size;
    EXPECT_EQ(sort(list.c_str(), result), expected_result) << list;
    for (std::size_t i = 0; i < guard_size; ++i) {
        EXPECT_EQ(buffer[i], guard) << "written before the buffer for " << list;
        EXPECT_EQ(buffer[buffer.size() - 1 - i], guard) << "written after the buffer for " << list;
    }
    const void *zero = std::memchr(result, '\0', list.size() + 1);
    const std::string text(result, zero ? static_cast<const char *>(zero) - result : list.size() + 1);
    EXPECT_LE(text.size(), list.size()) << "no terminating zero for " << list;
    return text;
}

std::string by_key(const std::string &list) { return sorted(SortList, list); }
std::string distinct(const std::string &list) { return sorted(SortList2, list); }

TEST(SortList, OrdersValuesByTheNumericKey) {
    EXPECT_EQ(by_key("3:c,1:a,2:b"), "a,b,c");
    EXPECT_EQ(by_key("10:x,9:y"), "y,x");
    EXPECT_EQ(by_key("-1:neg,0:zero"), "neg,zero");
    EXPECT_EQ(by_key(" 7:seven,x:zero"), "zero,seven");
    EXPECT_EQ(by_key("+4:d,\t 3:c"), "c,d");
    EXPECT_EQ(by_key("12abc:x,5:y"), "y,x");
}

TEST(SortList, LaterValueOfARepeatedKeyWins) {
    EXPECT_EQ(by_key("2:first,1:one,2:second"), "one,second");
    EXPECT_EQ(by_key("1:a,01:b,+1:c"), "c");
}

TEST(SortList, ValuesKeepTheirColonsAndBlanks) {
    EXPECT_EQ(by_key("5:a:b,1:c"), "c,a:b");
    EXPECT_EQ(by_key("2: b ,1: a"), " a, b ");
    EXPECT_EQ(by_key("1:"), "");
    EXPECT_EQ(by_key("2:,1:x"), "x,");
}

TEST(SortList, KeysOutsideThe32BitRangeSaturate) {
    EXPECT_EQ(by_key("99999999999:big,2147483647:max,-99999999999:small,-2147483648:min,0:zero"),
              "min,zero,max");
}

TEST(SortList, MalformedItemsStayInsideTheirOwnBytes) {
    // An item without ':' is a key with an empty value; the search for ':'
    // does not run into the next item.
    EXPECT_EQ(by_key("b,1:a"), ",a");
    EXPECT_EQ(by_key("7,1:a"), "a,");
    // Empty items, from ",," or a final ",", are skipped.
    EXPECT_EQ(by_key("2:b,,1:a,"), "a,b");
    EXPECT_EQ(by_key(","), "");
    EXPECT_EQ(by_key(",,,"), "");
    EXPECT_EQ(by_key("abc"), "");
    EXPECT_EQ(by_key(":::"), "::");
}

TEST(SortList2, OrdersDistinctItemsByteWise) {
    EXPECT_EQ(distinct("pera,mela,pera,fico"), "fico,mela,pera");
    EXPECT_EQ(distinct("10,9,1"), "1,10,9");
    EXPECT_EQ(distinct("B,a"), "B,a");
    EXPECT_EQ(distinct("b, a"), " a,b");
    EXPECT_EQ(distinct("a,A,a ,a"), "A,a,a ");
    // Bytes above 0x7F sort after ASCII: the comparison is unsigned.
    EXPECT_EQ(distinct("\xE9t\xE9,zeta,\x80"), "zeta,\x80,\xE9t\xE9");
}

TEST(SortList2, EmptyItemsAreItems) {
    EXPECT_EQ(distinct("b,a,"), ",a,b");
    EXPECT_EQ(distinct(","), "");
    EXPECT_EQ(distinct(",,x,,"), ",x");
    EXPECT_EQ(distinct("x"), "x");
}

TEST(SortLists, EmptyInputLeavesTheBufferUntouched) {
    char buffer[8] = "keep";
    EXPECT_EQ(SortList("", buffer), -1);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(SortList2("", buffer), -1);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(SortList(nullptr, buffer), -1);
    EXPECT_EQ(SortList2(nullptr, buffer), -1);
    EXPECT_STREQ(buffer, "keep");
}

TEST(SortLists, LongListsFitTheirBuffer) {
    std::string keyed, plain, expected_keyed, expected_plain;
    for (int i = 2000; i >= 1; --i) {
        const std::string number = std::to_string(i);
        keyed.append(number).append(":v").append(number).append(i > 1 ? "," : "");
        plain.append("item").append(std::to_string(i % 700)).append(",");
    }
    for (int i = 1; i <= 2000; ++i) {
        expected_keyed.append("v").append(std::to_string(i)).append(i < 2000 ? "," : "");
    }
    const std::string text = by_key(keyed);
    EXPECT_EQ(text, expected_keyed);
    const std::string items = distinct(plain);
    EXPECT_EQ(items.substr(0, 15), ",item0,item1,it");
    EXPECT_EQ(std::count(items.begin(), items.end(), ','), 700);
}

}  // namespace
