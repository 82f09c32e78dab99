#pragma once

#include <string>

namespace brindle::groupsim {

// Escapes "&", "<", ">" and the double quote.
std::string HtmlEscape(const std::string &text);

// The raw message as the "?source=1" page holds it in its "source user" cell:
// every line (split at CRLF) HTML-escaped, the lines joined with "<br>".
std::string SourceCellHtml(const std::string &raw);

// Plain text for a page: escaped, "http://" and "https://" addresses made links,
// lines joined with "<br>" and a line break.
std::string TextToHtml(const std::string &text);

// A complete page around the body.
std::string HtmlPage(const std::string &title, const std::string &body);

// The service's sign-in form. done is the address to go on to after signing in.
std::string LoginFormHtml(const std::string &done, const std::string &error = std::string());
std::string LoginPage(const std::string &done, const std::string &error = std::string());

// A page that asks the reader to go on to the path (a link relative to the host).
std::string InterstitialPage(const std::string &path);
std::string ErrorPage(int status, const std::string &text);

} // namespace brindle::groupsim
