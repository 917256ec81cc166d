#include "md5_known_answers.h"
#include "seal/md5.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string digest_of(const std::string& bytes)
{
    std::istringstream input(bytes);
    return MD5(input).hex_digest();
}

std::string digest_in_pieces(const std::string& bytes, std::size_t split)
{
    MD5 md5;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    md5.update(data, static_cast<std::uint32_t>(split));
    md5.update(data + split, static_cast<std::uint32_t>(bytes.size() - split));
    md5.finalize();
    return md5.hex_digest();
}

const char empty_digest[] = "d41d8cd98f00b204e9800998ecf8427e";

} // namespace

TEST(MD5, ReproducesTheRfc1321Suite)
{
    for (const auto& answer : rfc1321_suite)
        EXPECT_EQ(digest_of(answer.message), answer.digest) << '"' << answer.message << '"';
}

TEST(MD5, ReadsStreamsEndingOnWholeChunks)
{
    // Digests from an independent implementation (GNU md5sum).
    EXPECT_EQ(digest_of(std::string(1024, 'a')), "c9a34cfc85d982698c6ac89f76071abd");
    EXPECT_EQ(digest_of(std::string(2048, 'a')), "b7ea2d21ad2ef3e28085d30247603e0b");
    EXPECT_EQ(digest_of(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(MD5, PadsInputsOfEveryLengthAroundABlockEnd)
{
    // Lengths where the padding and the length field fit the last block or
    // spill into one more; digests from GNU md5sum of "ABC...ZABC...".
    const struct {
        std::size_t length;
        const char* digest;
    } cases[] = {
        {55, "bdf2ee53fac2a42e4692411a8ffcd4e2"},  {56, "ca240139f53edd0770b4a912d4789bba"},
        {63, "d431e699bf5b185ebd51ba55f6f70f6b"},  {64, "cebf5ced0a0d39bfedab859f9445f6ca"},
        {119, "6f7faa84f406af9ade81c4a84605bf03"}, {120, "1418ea1f3b7586341fbe33071d792965"},
    };
    for (const auto& c : cases) {
        std::string bytes;
        for (std::size_t i = 0; i < c.length; ++i)
            bytes += static_cast<char>('A' + i % 26);
        EXPECT_EQ(digest_of(bytes), c.digest) << c.length << " bytes";
    }
}

TEST(MD5, GivesTheSameDigestWhereverTheInputIsSplit)
{
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(i * 7 + 3);
    const std::string whole = digest_of(bytes);
    for (std::size_t split = 0; split <= bytes.size(); ++split)
        ASSERT_EQ(digest_in_pieces(bytes, split), whole) << "split at " << split;
}

TEST(MD5, DigestsEveryByteIncludingZeroCarriageReturnAndEndOfFileMark)
{
    EXPECT_EQ(digest_of(std::string("a\r\nb\x1a" "c\0d", 8)), "0b788cf63bb14166485287652a7f24ed");
}

TEST(MD5, EmptyAndFailedStreamsGiveTheDigestOfNoInput)
{
    EXPECT_EQ(digest_of(""), empty_digest);

    ScratchDirectory scratch;
    std::ifstream missing(scratch.file("missing.bin"), std::ios::binary);
    ASSERT_FALSE(missing.good());
    EXPECT_EQ(MD5(missing).hex_digest(), empty_digest);
}

TEST(MD5, HexDigestIsAlwaysThirtyTwoLowercaseDigits)
{
    // "jk8ssl" has a digest that begins with a zero byte.
    const std::string digest = digest_of("jk8ssl");
    EXPECT_EQ(digest, "0000000018e6137ac2caab16074784a6");
    EXPECT_EQ(digest.size(), 32u);
}

TEST(MD5, MisuseIsReportedOnStandardErrorAndChangesNothing)
{
    MD5 unfinished;
    testing::internal::CaptureStderr();
    EXPECT_EQ(unfinished.hex_digest(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "MD5::hex_digest:  Can't get digest if you haven't finalized the digest!\n");

    std::istringstream input("abc");
    MD5 done(input);
    testing::internal::CaptureStderr();
    done.update(reinterpret_cast<const unsigned char*>("x"), 1);
    done.finalize();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "MD5::update:  Can't update a finalized digest!\n"
              "MD5::finalize:  Already finalized this digest!\n");
    EXPECT_EQ(done.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");
}
