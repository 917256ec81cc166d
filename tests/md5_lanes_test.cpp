#include "md5_known_answers.h"
#include "seal/md5.h"
#include "seal/md5_lanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

const unsigned char* bytes_of(const std::string& message)
{
    return reinterpret_cast<const unsigned char*>(message.data());
}

std::string finish_lane(const md5_lane_states& states, unsigned lane, const std::string& message,
                        std::size_t done)
{
    std::uint32_t chaining[4];
    lane_chaining(states, lane, chaining);
    MD5 rest(chaining, done);
    rest.update(bytes_of(message) + done, static_cast<std::uint32_t>(message.size() - done));
    rest.finalize();
    return rest.hex_digest();
}

// Digests each message in a lane of its own: whole blocks in common steps,
// each lane finished when it has no whole block left, as the file listing
// does it.
std::vector<std::string> digests_in_lanes(md5_path path, const std::vector<std::string>& messages)
{
    std::vector<std::size_t> done(messages.size(), 0);
    std::vector<std::string> digests(messages.size());
    md5_lane_states states{};
    for (unsigned lane = 0; lane < messages.size(); ++lane)
        start_md5_lane(states, lane);
    for (;;) {
        std::size_t blocks = SIZE_MAX;
        std::vector<unsigned> busy;
        for (unsigned lane = 0; lane < messages.size(); ++lane) {
            const std::size_t left = (messages[lane].size() - done[lane]) / 64;
            if (left > 0) {
                blocks = std::min(blocks, left);
                busy.push_back(lane);
            } else if (digests[lane].empty()) {
                digests[lane] = finish_lane(states, lane, messages[lane], done[lane]);
            }
        }
        if (busy.empty())
            return digests;
        // Free lanes digest a busy lane's blocks; their results are not used.
        const unsigned char* starts[max_md5_lanes];
        for (const unsigned char*& start : starts)
            start = bytes_of(messages[busy[0]]) + done[busy[0]];
        for (unsigned lane : busy)
            starts[lane] = bytes_of(messages[lane]) + done[lane];
        compress_md5_lanes(path, states, starts, blocks);
        for (unsigned lane : busy)
            done[lane] += 64 * blocks;
    }
}

std::string reference_digest(const std::string& message)
{
    MD5 md5;
    md5.update(bytes_of(message), static_cast<std::uint32_t>(message.size()));
    md5.finalize();
    return md5.hex_digest();
}

// RFC 1321's suite, and longer messages from GNU md5sum.
const std::vector<KnownAnswer> known_answers = [] {
    std::vector<KnownAnswer> answers = rfc1321_suite;
    answers.push_back({std::string(1024, 'a'), "c9a34cfc85d982698c6ac89f76071abd"});
    answers.push_back({std::string(2048, 'a'), "b7ea2d21ad2ef3e28085d30247603e0b"});
    return answers;
}();

class MD5Lanes : public testing::TestWithParam<md5_path> {
protected:
    void SetUp() override
    {
        if (!md5_path_available(GetParam()))
            GTEST_SKIP() << "this processor or its system cannot run this path";
    }
    unsigned lanes() const { return md5_lane_count(GetParam()); }
};

std::string path_name(const testing::TestParamInfo<md5_path>& info)
{
    const char* names[] = {"Scalar", "Sse2", "Avx2"};
    return names[static_cast<int>(info.param)];
}

} // namespace

// Every known answer passes through every lane, beside other messages.
TEST_P(MD5Lanes, ReproducesKnownAnswersInEveryLane)
{
    const std::size_t count = known_answers.size();
    for (std::size_t first = 0; first < count; ++first) {
        std::vector<std::string> messages;
        for (unsigned lane = 0; lane < lanes(); ++lane)
            messages.push_back(known_answers[(first + lane) % count].message);
        const std::vector<std::string> digests = digests_in_lanes(GetParam(), messages);
        for (unsigned lane = 0; lane < lanes(); ++lane)
            EXPECT_EQ(digests[lane], known_answers[(first + lane) % count].digest) << "lane " << lane;
    }
}

// Messages of random lengths, from one lane busy to all of them.
TEST_P(MD5Lanes, RandomLengthsInAnyNumberOfLanes)
{
    std::mt19937 random(20240601);
    for (int trial = 0; trial < 40; ++trial) {
        const unsigned busy = 1 + trial % lanes();
        std::vector<std::string> messages(busy);
        for (std::string& message : messages) {
            message.resize(random() % 3000);
            for (char& c : message)
                c = static_cast<char>(random());
        }
        const std::vector<std::string> digests = digests_in_lanes(GetParam(), messages);
        for (unsigned lane = 0; lane < busy; ++lane)
            ASSERT_EQ(digests[lane], reference_digest(messages[lane]))
                << "trial " << trial << ", lane " << lane << ", " << messages[lane].size() << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, MD5Lanes,
                         testing::Values(md5_path::scalar, md5_path::sse2, md5_path::avx2), path_name);

TEST(MD5Paths, ScalarPathIsAlwaysAvailable)
{
    EXPECT_TRUE(md5_path_available(md5_path::scalar));
    EXPECT_TRUE(md5_path_available(fastest_md5_path()));
}
