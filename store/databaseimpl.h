#pragma once

// Internal: the Firebird handles a Database owns.

#include <store/fbapi.h>

namespace store {

struct DatabaseImpl
{
    fb::Ref<Firebird::IAttachment> attachment;
    fb::Ref<Firebird::ITransaction> transaction;
};

} // namespace store
