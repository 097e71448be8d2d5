#pragma once

#include "platform/foundation/Forward.h"

class IKRFDBCursor;
class IKRFDBIndexCursor;
class IKRSqliteCursor;
class KRBehaviorService;
class KRDBContext;
class KRDBObject;
class KRFDB;
class KRFDBCursor;
class KRFDBIndex;
class KRFDBIndexCursor;
class KRMonitorService;
class KRSqlite;
class KRSqliteCursor;
class KRSqliteUnionCursor;

using KRFDBRef = std::shared_ptr<KRFDB>;
using KRFDBCursorRef = std::shared_ptr<KRFDBCursor>;
using KRFDBIndexRef = std::shared_ptr<KRFDBIndex>;
using KRFDBIndexCursorRef = std::shared_ptr<KRFDBIndexCursor>;
using KRSqliteRef = std::shared_ptr<KRSqlite>;
using KRSqliteCursorRef = std::shared_ptr<IKRSqliteCursor>;
using KRDBContextRef = std::shared_ptr<KRDBContext>;
