#include "wizard/HashedBuffers.h"

namespace {

class CLock {
 public:
  explicit CLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
  ~CLock() { ::ReleaseSRWLockExclusive(&m_lock); }
  CLock(const CLock&) = delete;
  CLock& operator=(const CLock&) = delete;

 private:
  SRWLOCK& m_lock;
};

}  // namespace

CHashedBuffers::CHashedBuffers()
    : m_chunks(std::make_unique<Chunk[]>(kChunks)),
      m_thread(::CreateThread(nullptr, 0, &HashThread, this, 0, nullptr)) {}

CHashedBuffers::~CHashedBuffers() {
  if (!m_thread) return;
  {
    const CLock lock(m_lock);
    m_stop = true;
  }
  ::WakeConditionVariable(&m_queuedChanged);
  ::WaitForSingleObject(m_thread.get(), INFINITE);
}

DWORD WINAPI CHashedBuffers::HashThread(LPVOID self) {
  static_cast<CHashedBuffers*>(self)->HashQueued();
  return 0;
}

void CHashedBuffers::HashQueued() {
  const CLock lock(m_lock);
  for (;;) {
    while (m_hashed == m_queued && !m_stop) {
      ::SleepConditionVariableSRW(&m_queuedChanged, &m_lock, INFINITE, 0);
    }
    if (m_hashed == m_queued) return;  // stopped, nothing left
    const int index = static_cast<int>(m_hashed % kChunks);
    // The chunk is neither refilled nor reset while it is queued: hashed
    // outside the lock.
    ::ReleaseSRWLockExclusive(&m_lock);
    m_hasher.Update(m_chunks[index].bytes, m_sizes[index]);
    ::AcquireSRWLockExclusive(&m_lock);
    ++m_hashed;
    ::WakeConditionVariable(&m_hashedChanged);
  }
}

char* CHashedBuffers::Next() {
  const CLock lock(m_lock);
  while (m_queued - m_hashed >= kChunks) {
    ::SleepConditionVariableSRW(&m_hashedChanged, &m_lock, INFINITE, 0);
  }
  return m_chunks[m_queued % kChunks].bytes;
}

void CHashedBuffers::Hash(DWORD size) {
  const int index = static_cast<int>(m_queued % kChunks);
  {
    const CLock lock(m_lock);
    // A short chunk ends its file, and Digest waits for it next: hashing
    // it here spares the hand-over, which is most of a small file's cost.
    if (m_thread && (size == kChunkBytes || m_hashed != m_queued)) {
      m_sizes[index] = size;
      ++m_queued;
      ::WakeConditionVariable(&m_queuedChanged);
      return;
    }
  }
  m_hasher.Update(m_chunks[index].bytes, size);
}

void CHashedBuffers::WaitIdle() {
  const CLock lock(m_lock);
  while (m_hashed != m_queued) {
    ::SleepConditionVariableSRW(&m_hashedChanged, &m_lock, INFINITE, 0);
  }
}

ContentHash CHashedBuffers::Digest() {
  WaitIdle();
  return m_hasher.Digest();
}

void CHashedBuffers::Reset() {
  WaitIdle();
  m_hasher.Reset();
}
