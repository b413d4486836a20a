// Expanding link references over a long text (the text export expands the whole
// output in one call), with many links in the list and a reference every few
// sentences, some of them naming no link and some never closed.
#include "library/LinkReferences.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tallix;

namespace {

library::LinkList manyLinks(int n) {
    library::LinkList links;
    for (int i = 0; i < n; ++i) {
        const std::u16string k = u"Link number " + std::u16string(1, char16_t(u'A' + i % 26)) +
                                 std::u16string(std::size_t(1 + i / 26), u'x');
        links.addLink(k, u"http://grammar.example/page" + std::u16string(1, char16_t(u'a' + i % 26)));
    }
    return links;
}

std::u16string textWithReferences(std::size_t chars, const library::LinkList& links) {
    std::u16string t;
    t.reserve(chars + 512);
    const std::u16string sentence = u"The essay argues its case with some care and evidence. ";
    int i = 0;
    while (t.size() < chars) {
        t += sentence;
        t += sentence;
        switch (i % 4) {
        case 0: t += u"{{" + links.title(i % links.count()) + u"}}"; break;
        case 1: t += u"{{link NUMBER " + links.title(i % links.count()).substr(12) + u"}}"; break;
        case 2: t += u"{{No such link}}"; break;
        default: t += u"{{ never closed "; break;
        }
        t += u"\r\n";
        ++i;
    }
    return t;
}

void BM_IncludeUsefulLinks(benchmark::State& state) {
    const library::LinkList links = manyLinks(500);
    const std::u16string text = textWithReferences(std::size_t(state.range(0)), links);
    for (auto _ : state)
        benchmark::DoNotOptimize(library::IncludeUsefulLinks(text, links).size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size() * 2));
}
BENCHMARK(BM_IncludeUsefulLinks)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

void BM_ConvertUsefulLinks(benchmark::State& state) {
    const library::LinkList links = manyLinks(500);
    const std::u16string text = textWithReferences(std::size_t(state.range(0)), links);
    for (auto _ : state)
        benchmark::DoNotOptimize(library::ConvertUsefulLinks(text, links).size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size() * 2));
}
BENCHMARK(BM_ConvertUsefulLinks)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

} // namespace
