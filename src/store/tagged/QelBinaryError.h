#pragma once

#include <QString>

#include <stdexcept>

// Errors the tagged-stream library raises (unregistered classes, files that
// cannot be opened or written). Load results of a broken stream are not
// errors: they come back as a TQelLoadResult.
class EQelBinaryError : public std::runtime_error
{
public:
    explicit EQelBinaryError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &Message() const { return m_message; }

private:
    QString m_message;
};

// A text that cannot be converted into an attribute's value (SetAsText).
class EQelConvertError : public EQelBinaryError
{
public:
    using EQelBinaryError::EQelBinaryError;
};
