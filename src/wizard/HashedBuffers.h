// The copy's buffers, each hashed on a thread of its own once it has been
// read: the copy writes a chunk while the chunk before is being hashed, so
// on two processors checking the content costs the copy next to nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "package/ContentHash.h"
#include "win/Handles.h"

class CHashedBuffers {
 public:
  // Large enough that handing a chunk over costs little next to reading and
  // writing it, small enough that the bar and Cancel stay prompt from a disc.
  static constexpr DWORD kChunkBytes = 256 * 1024;

  CHashedBuffers();
  ~CHashedBuffers();  // waits for the hash to end and ends the thread
  CHashedBuffers(const CHashedBuffers&) = delete;
  CHashedBuffers& operator=(const CHashedBuffers&) = delete;

  // A chunk of kChunkBytes to read the next bytes into. It stays the
  // caller's until the next call; waits while every other chunk is queued.
  char* Next();
  // Hashes the first size bytes of the chunk Next gave, after every chunk
  // before it. The caller may go on reading (writing) them meanwhile.
  void Hash(DWORD size);
  // The hash of every byte handed over since the last Reset.
  ContentHash Digest();
  // Starts over for another file or another attempt.
  void Reset();

 private:
  static DWORD WINAPI HashThread(LPVOID self);
  void HashQueued();
  void WaitIdle();

  static constexpr int kChunks = 4;
  struct alignas(4096) Chunk {
    char bytes[kChunkBytes];
  };
  std::unique_ptr<Chunk[]> m_chunks;
  DWORD m_sizes[kChunks] = {};
  CContentHasher m_hasher;
  // Chunks handed over and chunks hashed so far; the chunk Next gives is
  // m_queued % kChunks. Both under m_lock.
  std::uint64_t m_queued = 0;
  std::uint64_t m_hashed = 0;
  bool m_stop = false;
  SRWLOCK m_lock = SRWLOCK_INIT;
  CONDITION_VARIABLE m_queuedChanged = CONDITION_VARIABLE_INIT;
  CONDITION_VARIABLE m_hashedChanged = CONDITION_VARIABLE_INIT;
  // None when no thread could be made: then Hash hashes at once.
  win::UniqueThread m_thread;
};
