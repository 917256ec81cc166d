#pragma once
#include "../platform/win32.h"
#include "../seal/md5_lanes.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What a listing shows instead of a digest for a file it cannot read whole.
extern const char cannot_read_file[];

// Digests files several at a time, one in each lane of an MD5 path, on the
// calling thread, and hands each file's text to a function in the order the
// files were added: the MD5 digest of its content in hexadecimal, or
// "Can't read file..." when it cannot be opened or a read fails part-way (a
// digest of part of the file would tell something false). While one file
// alone is being read, it is digested without vectors, as by MD5 itself.
//
// Each lane keeps one file open and reads it through a buffer of its own,
// taken at the lane's first use. At most max_waiting_files files wait for
// the ones before them, so memory stays bounded whatever the listing.
class file_digest_queue {
public:
    using ready_function = std::function<void(const std::string& label, const std::string& text)>;

    static constexpr std::size_t lane_buffer_size = 256 * 1024;
    static constexpr std::size_t max_waiting_files = 64;

    // path must be available on this processor.
    file_digest_queue(md5_path path, ready_function ready);
    // Closes the files still open; their texts are not handed over.
    ~file_digest_queue();
    file_digest_queue(const file_digest_queue&) = delete;
    file_digest_queue& operator=(const file_digest_queue&) = delete;

    // Queues the file at path, a Windows path; label comes back with its
    // text. Texts of files added before may be handed over meanwhile.
    void add_file(std::string label, std::string path);
    // Queues a file not to be opened: its text is "Can't read file...".
    void add_unreadable(std::string label);
    // Digests every file queued and hands over each text still held.
    void finish();

private:
    struct entry {
        std::string label, path, text;
        bool done;
    };
    struct lane {
        HANDLE file = INVALID_HANDLE_VALUE;
        std::size_t entry = 0; // counted from the first file ever added
        std::unique_ptr<unsigned char[]> buffer;
        std::size_t begin = 0, end = 0; // bytes read and not yet digested
        std::uint64_t digested = 0;
        bool at_end = false;
    };

    void advance(bool to_the_end);
    void start_waiting_files();
    void start_file(unsigned lane_index);
    void refill(unsigned lane_index);
    void digest_common_blocks();
    void complete(unsigned lane_index);
    void end_file(unsigned lane_index, std::string text);
    void hand_over_finished();
    entry& entry_of(const lane& lane);

    md5_path digest_path;
    unsigned lane_count;
    ready_function ready;
    md5_lane_states states{}; // free lanes digest too; their results are not used
    std::vector<lane> lanes;
    unsigned busy_lanes = 0;
    std::deque<entry> entries;
    std::size_t first_entry = 0; // the number of entries[0]
    std::size_t next_to_start = 0;
};
