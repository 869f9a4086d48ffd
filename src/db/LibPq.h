#pragma once
// libpq is loaded when a server is first used, not when the program starts:
// with the libraries it brings (Kerberos, LDAP, TLS, ...) its loading took
// longer than a whole small export, and only archives on a server need it.
// Every libpq call of the engine goes through the table below; the names
// stay libpq's own, so the code reads as libpq's documentation does.
#include <libpq-fe.h>

#include <atomic>

#define TESSARO7_LIBPQ_FUNCTIONS(X)                                                                                   \
    X(PQclear) X(PQcmdTuples) X(PQconnectdbParams) X(PQconnectionNeedsPassword) X(PQconninfoFree)                     \
    X(PQconsumeInput) X(PQconninfoParse) X(PQenterPipelineMode) X(PQerrorMessage) X(PQexec) X(PQexecParams) X(PQexecPrepared)          \
    X(PQexitPipelineMode) X(PQfinish) X(PQfname) X(PQfreemem) X(PQftype) X(PQgetResult) X(PQgetisnull)              \
    X(PQgetlength) X(PQgetvalue) X(PQnfields) X(PQntuples) X(PQpipelineSync) X(PQprepare) X(PQputCopyData)          \
    X(PQputCopyEnd) X(PQresultErrorField) X(PQresultErrorMessage) X(PQresultStatus) X(PQsendPrepare)                \
    X(PQsendQuery) X(PQsendQueryParams) X(PQsendQueryPrepared) X(PQsetNoticeReceiver) X(PQstatus) X(PQtransactionStatus)

namespace tessaro7::db::libpq {

struct Functions {
#define TESSARO7_LIBPQ_MEMBER(name) decltype(&::name) name;
    TESSARO7_LIBPQ_FUNCTIONS(TESSARO7_LIBPQ_MEMBER)
#undef TESSARO7_LIBPQ_MEMBER
};

// The functions once loaded: every libpq call goes through them, so the
// loaded table is reached without a call of its own.
inline std::atomic<const Functions*> g_loaded{nullptr};
const Functions& loadFunctions();

// libpq's functions, the library loaded at the first call; EngineError 3151
// naming the library when it cannot be loaded.
inline const Functions& functions() {
    if (const Functions* loaded = g_loaded.load(std::memory_order_acquire)) return *loaded;
    return loadFunctions();
}

}  // namespace tessaro7::db::libpq

#ifndef TESSARO7_LIBPQ_LOADER
#define PQclear ::tessaro7::db::libpq::functions().PQclear
#define PQcmdTuples ::tessaro7::db::libpq::functions().PQcmdTuples
#define PQconnectdbParams ::tessaro7::db::libpq::functions().PQconnectdbParams
#define PQconnectionNeedsPassword ::tessaro7::db::libpq::functions().PQconnectionNeedsPassword
#define PQconninfoFree ::tessaro7::db::libpq::functions().PQconninfoFree
#define PQconsumeInput ::tessaro7::db::libpq::functions().PQconsumeInput
#define PQconninfoParse ::tessaro7::db::libpq::functions().PQconninfoParse
#define PQenterPipelineMode ::tessaro7::db::libpq::functions().PQenterPipelineMode
#define PQerrorMessage ::tessaro7::db::libpq::functions().PQerrorMessage
#define PQexec ::tessaro7::db::libpq::functions().PQexec
#define PQexecParams ::tessaro7::db::libpq::functions().PQexecParams
#define PQexecPrepared ::tessaro7::db::libpq::functions().PQexecPrepared
#define PQexitPipelineMode ::tessaro7::db::libpq::functions().PQexitPipelineMode
#define PQfinish ::tessaro7::db::libpq::functions().PQfinish
#define PQfname ::tessaro7::db::libpq::functions().PQfname
#define PQfreemem ::tessaro7::db::libpq::functions().PQfreemem
#define PQftype ::tessaro7::db::libpq::functions().PQftype
#define PQgetResult ::tessaro7::db::libpq::functions().PQgetResult
#define PQgetisnull ::tessaro7::db::libpq::functions().PQgetisnull
#define PQgetlength ::tessaro7::db::libpq::functions().PQgetlength
#define PQgetvalue ::tessaro7::db::libpq::functions().PQgetvalue
#define PQnfields ::tessaro7::db::libpq::functions().PQnfields
#define PQntuples ::tessaro7::db::libpq::functions().PQntuples
#define PQpipelineSync ::tessaro7::db::libpq::functions().PQpipelineSync
#define PQprepare ::tessaro7::db::libpq::functions().PQprepare
#define PQputCopyData ::tessaro7::db::libpq::functions().PQputCopyData
#define PQputCopyEnd ::tessaro7::db::libpq::functions().PQputCopyEnd
#define PQresultErrorField ::tessaro7::db::libpq::functions().PQresultErrorField
#define PQresultErrorMessage ::tessaro7::db::libpq::functions().PQresultErrorMessage
#define PQresultStatus ::tessaro7::db::libpq::functions().PQresultStatus
#define PQsendPrepare ::tessaro7::db::libpq::functions().PQsendPrepare
#define PQsendQuery ::tessaro7::db::libpq::functions().PQsendQuery
#define PQsendQueryParams ::tessaro7::db::libpq::functions().PQsendQueryParams
#define PQsendQueryPrepared ::tessaro7::db::libpq::functions().PQsendQueryPrepared
#define PQsetNoticeReceiver ::tessaro7::db::libpq::functions().PQsetNoticeReceiver
#define PQstatus ::tessaro7::db::libpq::functions().PQstatus
#define PQtransactionStatus ::tessaro7::db::libpq::functions().PQtransactionStatus
#endif
