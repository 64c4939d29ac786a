#pragma once

#include <QString>

// The program's failures. They are thrown inside our own code only and caught by
// Guard before they could reach a Qt frame.
class Exception
{
public:
    explicit Exception(QString message);
    virtual ~Exception();

    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// A silent abort: the guard drops it without telling the user.
class EAbort : public Exception
{
public:
    explicit EAbort(QString message = QString());
};

// Raised when the settings file cannot be written.
class EIniFileException : public Exception
{
public:
    explicit EIniFileException(QString message);
};
