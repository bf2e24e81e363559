#pragma once
// Test helper: a folder that cannot be written into, also when the tests run as root.
#include <QFile>
#include <QString>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qmtest {

// A folder nobody may write into, even when the tests run as root: root's override of file permissions is
// switched off for the life of the object.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path)
        : path_(path)
    {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
        if (geteuid() == 0 && syscall(SYS_capget, &header_, saved_) == 0) {
            __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
            reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
        }
    }
    ~ReadOnlyFolder()
    {
        if (dropped_)
            syscall(SYS_capset, &header_, saved_);
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool holds() const { return geteuid() != 0 || dropped_; }

    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    QString path_;
    __user_cap_header_struct header_ {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] {};
    bool dropped_ = false;
};

} // namespace qmtest
