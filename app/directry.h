#pragma once
// A folder that can be copied or renamed whole, and deleted when the program made it (a scratch folder).
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
