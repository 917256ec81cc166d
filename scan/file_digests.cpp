#include "file_digests.h"

#include "../seal/md5.h"

#include <algorithm>
#include <cstring>

const char cannot_read_file[] = "Can't read file...";

file_digest_queue::file_digest_queue(md5_path path, ready_function ready)
    : digest_path(path), lane_count(md5_lane_count(path)), ready(std::move(ready)), lanes(lane_count)
{
}

file_digest_queue::~file_digest_queue()
{
    for (lane& lane : lanes)
        if (lane.file != INVALID_HANDLE_VALUE)
            CloseHandle(lane.file);
}

void file_digest_queue::add_file(std::string label, std::string path)
{
    entries.push_back(entry{std::move(label), std::move(path), std::string(), false});
    advance(false);
}

void file_digest_queue::add_unreadable(std::string label)
{
    entries.push_back(entry{std::move(label), std::string(), cannot_read_file, true});
    advance(false);
}

void file_digest_queue::finish()
{
    advance(true);
}

// Works until a lane is free for the next file and the waiting files are
// few, or, to the end, until every file is done.
void file_digest_queue::advance(bool to_the_end)
{
    for (;;) {
        start_waiting_files();
        hand_over_finished();
        if (busy_lanes == 0)
            return;
        if (!to_the_end && busy_lanes < lane_count && entries.size() < max_waiting_files)
            return;
        digest_common_blocks();
    }
}

// A file that ends at once (it cannot be opened, or is short) leaves its
// lane free for the next one.
void file_digest_queue::start_waiting_files()
{
    for (unsigned i = 0; i < lane_count; ++i)
        while (lanes[i].file == INVALID_HANDLE_VALUE && next_to_start < first_entry + entries.size()) {
            lanes[i].entry = next_to_start++;
            if (!entry_of(lanes[i]).done)
                start_file(i);
        }
}

file_digest_queue::entry& file_digest_queue::entry_of(const lane& lane)
{
    return entries[lane.entry - first_entry];
}

void file_digest_queue::start_file(unsigned lane_index)
{
    lane& lane = lanes[lane_index];
    // Shared for reading and writing, as msvcrt's fopen shares: a file the
    // simulator holds open is still read. Shared for deletion too: an add-on
    // updater may rename or delete a file while a lane holds it.
    lane.file = CreateFileA(entry_of(lane).path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (lane.file == INVALID_HANDLE_VALUE) {
        entry_of(lane).text = cannot_read_file;
        entry_of(lane).done = true;
        return;
    }
    if (!lane.buffer)
        lane.buffer.reset(new unsigned char[lane_buffer_size]);
    lane.begin = lane.end = 0;
    lane.digested = 0;
    lane.at_end = false;
    start_md5_lane(states, lane_index);
    ++busy_lanes;
    refill(lane_index);
}

// Reads until the lane holds a whole block or its file has ended; a file
// that has ended is completed.
void file_digest_queue::refill(unsigned lane_index)
{
    lane& lane = lanes[lane_index];
    while (lane.end - lane.begin < 64 && !lane.at_end) {
        const std::size_t kept = lane.end - lane.begin;
        std::memmove(lane.buffer.get(), lane.buffer.get() + lane.begin, kept);
        lane.begin = 0;
        lane.end = kept;
        DWORD read = 0;
        if (!ReadFile(lane.file, lane.buffer.get() + kept, static_cast<DWORD>(lane_buffer_size - kept), &read,
                      nullptr)) {
            end_file(lane_index, cannot_read_file);
            return;
        }
        lane.end += read;
        lane.at_end = read == 0;
    }
    if (lane.end - lane.begin < 64)
        complete(lane_index);
}

// Digests as many blocks as every busy lane holds, in all lanes at once, or
// without vectors when one lane alone is busy.
void file_digest_queue::digest_common_blocks()
{
    std::size_t blocks = SIZE_MAX;
    const unsigned char* starts[max_md5_lanes] = {};
    unsigned a_busy_lane = 0;
    for (unsigned i = 0; i < lane_count; ++i) {
        if (lanes[i].file == INVALID_HANDLE_VALUE)
            continue;
        blocks = std::min(blocks, (lanes[i].end - lanes[i].begin) / 64);
        starts[i] = lanes[i].buffer.get() + lanes[i].begin;
        a_busy_lane = i;
    }
    // A free lane digests a busy lane's blocks again; its result is not used.
    for (unsigned i = 0; i < lane_count; ++i)
        if (!starts[i])
            starts[i] = starts[a_busy_lane];
    if (busy_lanes == 1) {
        std::uint32_t chaining[4];
        lane_chaining(states, a_busy_lane, chaining);
        md5_compress(chaining, starts[a_busy_lane], blocks);
        set_lane_chaining(states, a_busy_lane, chaining);
    } else {
        compress_md5_lanes(digest_path, states, starts, blocks);
    }
    for (unsigned i = 0; i < lane_count; ++i) {
        if (lanes[i].file == INVALID_HANDLE_VALUE)
            continue;
        lanes[i].begin += 64 * blocks;
        lanes[i].digested += 64 * blocks;
        refill(i);
    }
}

void file_digest_queue::complete(unsigned lane_index)
{
    lane& lane = lanes[lane_index];
    std::uint32_t chaining[4];
    lane_chaining(states, lane_index, chaining);
    MD5 rest(chaining, lane.digested);
    rest.update(lane.buffer.get() + lane.begin, static_cast<std::uint32_t>(lane.end - lane.begin));
    rest.finalize();
    end_file(lane_index, rest.hex_digest());
}

void file_digest_queue::end_file(unsigned lane_index, std::string text)
{
    lane& lane = lanes[lane_index];
    CloseHandle(lane.file);
    lane.file = INVALID_HANDLE_VALUE;
    --busy_lanes;
    entry_of(lane).text = std::move(text);
    entry_of(lane).done = true;
}

void file_digest_queue::hand_over_finished()
{
    while (!entries.empty() && entries.front().done) {
        ready(entries.front().label, entries.front().text);
        entries.pop_front();
        ++first_entry;
        // A file queued unreadable is done before any lane takes it.
        next_to_start = std::max(next_to_start, first_entry);
    }
}
