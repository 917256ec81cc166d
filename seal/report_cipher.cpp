#include "report_cipher.h"

#include "byte_order.h"
#include "../platform/win32.h"
#include "../scan/report.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

const char report_file_name[] = "Ravelo_Report.dat";

const std::uint32_t report_key[4] = {51203, 7741, 28890, 13562};

namespace {

const std::uint32_t delta = 0x9E3779B9;

void encipher_bytes(unsigned char* bytes, std::size_t length)
{
    for (std::size_t at = 0; at < length; at += 8) {
        std::uint32_t block[2] = {load32_le(bytes + at), load32_le(bytes + at + 4)};
        encipher_block(block);
        store32_le(bytes + at, block[0]);
        store32_le(bytes + at + 4, block[1]);
    }
}

// The last error of a call that failed; one that left none still failed.
DWORD failure_code()
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

DWORD write_bytes(HANDLE file, const unsigned char* bytes, std::size_t length)
{
    while (length > 0) {
        DWORD put = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
        if (!WriteFile(file, bytes, chunk, &put, nullptr))
            return failure_code();
        if (put == 0)
            return ERROR_WRITE_FAULT;
        bytes += put;
        length -= put;
    }
    return ERROR_SUCCESS;
}

DWORD flush_to_disk(HANDLE file)
{
    // After a power loss NTFS may keep a rename yet not the data still in
    // the cache, putting zeros in the report's place; MOVEFILE_WRITE_THROUGH
    // does not cover a rename within one volume.
    if (FlushFileBuffers(file))
        return ERROR_SUCCESS;
    const DWORD error = failure_code();
    // Some redirectors and virtual shared folders offer no flush: the file
    // is as written there as it can be.
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ? ERROR_SUCCESS : error;
}

// ERROR_SUCCESS when path was created (or emptied), written whole, flushed
// and closed; otherwise the error of the step that failed.
DWORD write_whole_file(const char* path, const unsigned char* bytes, std::size_t length)
{
    // Created or emptied, and shared with other programs for reading and
    // writing, as msvcrt's fopen(path, "wb") does.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failure_code();
    DWORD error = write_bytes(file, bytes, length);
    if (error == ERROR_SUCCESS)
        error = flush_to_disk(file);
    if (!CloseHandle(file) && error == ERROR_SUCCESS)
        error = failure_code();
    return error;
}

bool out_of_space(DWORD error)
{
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

// An antivirus scanner opens a freshly closed file for a moment, and Windows
// refuses to rename or delete it meanwhile, with a sharing or lock
// violation or access denied. Access denied to a read-only file or a folder
// lasts, as does every other refusal: no wait can help those.
bool waiting_may_help(DWORD error, const char* path)
{
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return true;
    if (error != ERROR_ACCESS_DENIED)
        return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes == INVALID_FILE_ATTRIBUTES ||
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// Runs operation; while it is refused in a way that waiting may mend (the
// file at path held by another program), tries again a few times after a
// short wait.
template <typename Operation>
bool try_patiently(const char* path, Operation operation)
{
    const int tries = 5;
    const DWORD wait_milliseconds = 100;
    for (int attempt = 1;; ++attempt) {
        if (operation())
            return true;
        if (attempt == tries || !waiting_may_help(GetLastError(), path))
            return false;
        Sleep(wait_milliseconds);
    }
}

bool delete_patiently(const std::string& path)
{
    return try_patiently(path.c_str(), [&] {
        return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    });
}

// A program holding the report open without sharing its deletion (a
// viewer, an upload tool) makes Windows refuse the replacement, yet lets the
// file be rewritten in place. That empties the earlier report first, so the
// temporary file keeps the new one until the rewrite has succeeded, and
// goes before it only when the rewrite lacks the space the temporary file
// holds.
bool rewrite_in_place(const char* file_name, const std::string& temporary_name,
                      const unsigned char* bytes, std::size_t length)
{
    DWORD error = write_whole_file(file_name, bytes, length);
    if (out_of_space(error)) {
        delete_patiently(temporary_name);
        error = write_whole_file(file_name, bytes, length);
    }
    if (error != ERROR_SUCCESS)
        return false;
    delete_patiently(temporary_name);
    return true;
}

} // namespace

void xtea_encipher(std::uint32_t block[2], const std::uint32_t key[4])
{
    std::uint32_t y = block[0], z = block[1], sum = 0;
    for (int cycle = 0; cycle < 32; ++cycle) {
        y += (((z << 4) ^ (z >> 5)) + z) ^ (sum + key[sum & 3]);
        sum += delta;
        z += (((y << 4) ^ (y >> 5)) + y) ^ (sum + key[(sum >> 11) & 3]);
    }
    block[0] = y;
    block[1] = z;
}

void encipher_block(std::uint32_t block[2])
{
    xtea_encipher(block, report_key);
}

bool seal_text(const std::string& text, const char* file_name)
{
    const std::size_t padded_length = (text.size() + 7) / 8 * 8;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[padded_length + 1]);
    if (!buffer)
        return false;
    std::memset(buffer.get(), 0, padded_length);
    std::memcpy(buffer.get(), text.data(), text.size());
    encipher_bytes(buffer.get(), padded_length);

    const std::string temporary_name = std::string(file_name) + ".tmp";
    if (write_whole_file(temporary_name.c_str(), buffer.get(), padded_length) != ERROR_SUCCESS) {
        delete_patiently(temporary_name);
        return false;
    }
    if (try_patiently(file_name, [&] {
            return MoveFileExA(temporary_name.c_str(), file_name, MOVEFILE_REPLACE_EXISTING);
        }))
        return true;
    return rewrite_in_place(file_name, temporary_name, buffer.get(), padded_length);
}

bool seal_report()
{
    try {
        return seal_text(report_stream.text(), report_file_name);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
