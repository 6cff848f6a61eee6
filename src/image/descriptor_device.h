// A device on an open file descriptor, without a buffer of its own, that keeps the
// system's reason when a write fails: a short write on a full disk leaves no error behind
// in QFile, so "the disk is full" would otherwise be lost. It seeks and reads back, as
// some of Qt's image writers (TIFF) need.
#pragma once

#include <QIODevice>

namespace tessara {

class DescriptorDevice : public QIODevice {
  public:
    // The descriptor, open for reading and writing, stays owned by the caller.
    explicit DescriptorDevice(int fd);
    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    qint64 size() const override;
    // The errno of the write that failed; 0 while none has.
    int lastError() const { return error_; }

  protected:
    qint64 readData(char* data, qint64 size) override;
    qint64 writeData(const char* data, qint64 size) override;

  private:
    int fd_;
    int error_ = 0;
};

}  // namespace tessara
