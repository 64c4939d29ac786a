#include "shell/exception.h"

#include <utility>

Exception::Exception(QString message)
    : m_message(std::move(message))
{
}

Exception::~Exception() = default;

EAbort::EAbort(QString message)
    : Exception(std::move(message))
{
}

EIniFileException::EIniFileException(QString message)
    : Exception(std::move(message))
{
}
