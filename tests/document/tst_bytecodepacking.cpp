#include "document/RByteCodePacking.h"

#include <gtest/gtest.h>

TEST(ByteCodePacking, PutUWordAppendsLowByteFirst)
{
    RCodeSection code{9};
    PutUWord(258, code);
    PutUWord(65535, code);
    EXPECT_EQ(code, (RCodeSection{9, 2, 1, 255, 255}));
}

TEST(ByteCodePacking, PutSIntOverwritesInPlace)
{
    RCodeSection code(7, 0);
    PutSInt(-1, code, 3);
    EXPECT_EQ(code, (RCodeSection{0, 0, 0, 255, 255, 255, 255}));
    PutSInt(0x01020304, code, 0);
    EXPECT_EQ(code, (RCodeSection{4, 3, 2, 1, 255, 255, 255}));
}

TEST(ByteCodePacking, PutSIntOutsideTheArrayThrows)
{
    RCodeSection code(7, 0);
    EXPECT_THROW(PutSInt(-1, code, 4), std::out_of_range);
    EXPECT_THROW(PutSInt(-1, code, -1), std::out_of_range);
    RCodeSection empty;
    EXPECT_THROW(PutSInt(0, empty, 0), std::out_of_range);
    EXPECT_EQ(code, RCodeSection(7, 0));
}

TEST(ByteCodePacking, ReadersAdvanceAndSignExtend)
{
    const unsigned char bytes[] = {254, 255, 255, 255, 2, 1, 0, 0, 0, 128};
    int pos = 0;
    EXPECT_EQ(GetSInt(bytes, pos), -2);
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(GetUWord(bytes, pos), 258u);
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(GetSInt(bytes, pos), INT32_MIN);
    EXPECT_EQ(pos, 10);
}

TEST(ByteCodePacking, RoundTrip)
{
    for (int v : {0, 1, -1, 35, 65536, -65536, INT32_MAX, INT32_MIN}) {
        RCodeSection code(4, 0);
        PutSInt(v, code, 0);
        int pos = 0;
        EXPECT_EQ(GetSInt(code.data(), pos), v);
    }
}
