#include "../file_streams.h"
#include "call_counts.h"
#include "fault_injection.h"
#include "regular_files.h"

#include <cerrno>
#include <unistd.h>
#include <memory>

namespace {

const std::size_t chunk_size = 64 * 1024;
const char end_of_text = 0x1A;

// Reads a file descriptor in text mode, translating as Windows does.
class file_buffer : public std::streambuf {
public:
    explicit file_buffer(int descriptor)
        : descriptor(descriptor), delivered(new char[chunk_size]), raw(new char[chunk_size])
    {
    }
    ~file_buffer() override
    {
        if (descriptor >= 0)
            close(descriptor);
    }
    file_buffer(const file_buffer&) = delete;
    file_buffer& operator=(const file_buffer&) = delete;

protected:
    int_type underflow() override
    {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        const std::size_t length = next_text_chunk();
        if (length == 0)
            return traits_type::eof();
        setg(delivered.get(), delivered.get(), delivered.get() + length);
        return traits_type::to_int_type(*gptr());
    }

private:
    std::size_t read_some(char* into, std::size_t size)
    {
        if (ended)
            return 0;
        count_call(__func__);
        // An exception from underflow is how the stream learns of a read
        // error: it catches it and sets its bad flag.
        if (call_fails(substitute_call::read_file))
            throw std::ios_base::failure("read error");
        ssize_t got;
        do
            got = read(descriptor, into, size);
        while (got < 0 && errno == EINTR);
        if (got < 0)
            throw std::ios_base::failure("read error");
        return static_cast<std::size_t>(got);
    }

    // Translates raw chunks until at least one character comes out or the
    // input ends. A CR at the end of a chunk waits for the next one, which
    // tells whether a line feed follows it.
    std::size_t next_text_chunk()
    {
        std::size_t out = 0;
        while (out == 0 && !ended) {
            const std::size_t got = read_some(raw.get() + carried, chunk_size - carried);
            const bool at_end = got == 0;
            const std::size_t length = carried + got;
            carried = 0;
            for (std::size_t i = 0; i < length; ++i) {
                const char c = raw[i];
                if (c == end_of_text) {
                    ended = true;
                    break;
                }
                if (c == '\r' && i + 1 == length && !at_end) {
                    raw[0] = '\r';
                    carried = 1;
                    break;
                }
                if (c == '\r' && i + 1 < length && raw[i + 1] == '\n')
                    continue;
                delivered[out++] = c;
            }
            if (at_end)
                ended = true;
        }
        return out;
    }

    int descriptor;
    bool ended = false;
    std::size_t carried = 0;
    std::unique_ptr<char[]> delivered;
    std::unique_ptr<char[]> raw;
};

class file_stream : public std::istream {
public:
    explicit file_stream(int descriptor)
        : std::istream(nullptr), buffer(descriptor)
    {
        if (descriptor < 0)
            clear(std::ios::failbit);
        else
            rdbuf(&buffer);
    }

private:
    file_buffer buffer;
};

int open_stream_file(const char* path)
{
    count_call(__func__);
    if (call_fails(substitute_call::open_file))
        return -1;
    return open_regular_file(path);
}

} // namespace

std::unique_ptr<std::istream> open_text_input(const char* path)
{
    return std::make_unique<file_stream>(open_stream_file(path));
}
