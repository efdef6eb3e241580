#include "hostapp/services/host_connection.h"

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/services/forward_recordset.h"
#include "hostapp/services/write_back_recordset.h"

HRESULT STDMETHODCALLTYPE HostConnection::OpenRecordset(BSTR query, LONG options, BSTR, LONG*, BSTR*, IHostRecordset** recordset)
try {
    if (!recordset) return E_POINTER;
    *recordset = nullptr;
    std::u16string_view sql = bstr_view(query);
    if (options == kRecordsetForward) {
        if (sql.empty()) raise_database_error(u"The query is empty.");
        *recordset = make_com<ForwardRecordset>(database_->open_rows(sql), database_).detach();
    } else if (options == kRecordsetWriteBack) {
        if (!sql.empty()) raise_database_error(u"A record set opened for write-back takes no query.");
        *recordset = make_com<WriteBackRecordset>(database_).detach();
    } else {
        raise_error(RuntimeError::InvalidProcedureCall,
                    u"OpenRecordset: options " + utf16(std::to_string(options)) + u" are not supported.");
    }
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
