#pragma once

// A bare libcurl POST of one form body to one address, the yardstick the
// road and home benchmarks set the application's own requests against: the
// handle and headers are made once and every perform() sends the same body
// on a connection of its own, accepting gzip, as the application does with
// every write (a reused connection that closed unanswered would make the
// transfer library send the write again).
// Header-only: each benchmark is one program.

#include <curl/curl.h>

#include <cstddef>
#include <string>
#include <utility>

class BenchCurlPost {
public:
    BenchCurlPost(const std::string& url, std::string body) : m_body(std::move(body))
    {
        m_curl = curl_easy_init();
        m_headers = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded");
        m_ok = m_curl && m_headers && curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str()) == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_POSTFIELDS, m_body.c_str()) == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(m_body.size())) == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, m_headers) == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_ACCEPT_ENCODING, "gzip, deflate") == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_FRESH_CONNECT, 1L) == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, collect) == CURLE_OK &&
               curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &m_answer) == CURLE_OK;
    }
    ~BenchCurlPost()
    {
        curl_slist_free_all(m_headers);
        curl_easy_cleanup(m_curl);
    }
    BenchCurlPost(const BenchCurlPost&) = delete;
    BenchCurlPost& operator=(const BenchCurlPost&) = delete;

    // Whether the handle could be set up.
    bool ok() const { return m_ok; }
    // Sends the body once; false when the handle is unusable or the transfer
    // failed. The answer replaces the previous one.
    bool perform()
    {
        m_answer.clear();
        return m_ok && curl_easy_perform(m_curl) == CURLE_OK;
    }
    const std::string& answer() const { return m_answer; }

private:
    static std::size_t collect(char* data, std::size_t size, std::size_t count, void* out)
    {
        static_cast<std::string*>(out)->append(data, size * count);
        return size * count;
    }

    std::string m_body;
    std::string m_answer;
    CURL* m_curl = nullptr;
    curl_slist* m_headers = nullptr;
    bool m_ok = false;
};
