#pragma once

namespace pf {

class HttpConnection;
class HttpRequest;
class HttpResponse;
class Operation;
class OperationQueue;
class URLCache;
struct CachedURLResponse;
struct HttpResult;

}
