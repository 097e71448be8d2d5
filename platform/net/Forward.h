#pragma once

namespace pf {

class CookieStore;
class HttpConnection;
class HttpRequest;
class HttpResponse;
class Operation;
class OperationQueue;
class URLCache;
struct CachedURLResponse;
struct HttpCookie;
struct HttpResult;

}
