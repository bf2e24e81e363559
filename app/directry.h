#pragma once
// A folder that can be deleted, copied or renamed whole.
#include <QString>

namespace _FILE {

class CDirectry {
public:
    explicit CDirectry(const QString& path)
        : path_(path)
    {
    }

    bool Delete();
    bool CopyTo(const QString& target) const;
    bool RenameTo(const QString& newPath);
    bool Exists() const;
    const QString& Path() const { return path_; }

private:
    QString path_;
};

} // namespace _FILE
