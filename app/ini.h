#pragma once
// A profile file (INI or INF) that reports what goes wrong in message boxes.
#include <QString>
#include <QStringList>

namespace _FILE {

class CFileBase {
public:
    virtual ~CFileBase() = default;

protected:
    static QString trimBlanks(const QString& s) { return s.trimmed(); }
};

class CIni : public CFileBase {
public:
    CIni() = default;
    explicit CIni(const QString& fileName);

    // Accepts an .ini or .inf file that exists: a path as given, a bare name in the current directory or
    // beside the executable.
    bool SetFileName(const QString& fileName);
    QString ReadString(const QString& section, const QString& key) const;
    bool WriteString(const QString& section, const QString& key, const QString& value);
    QStringList ReadKeyNames(const QString& section) const;

    bool IsOpen() const { return open_; }
    const QString& FilePath() const { return path_; }

private:
    QString path_;
    bool open_ = false;
};

} // namespace _FILE
