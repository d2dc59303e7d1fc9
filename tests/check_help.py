"""Checks the help pages before they are compiled into Velnorid.chm.

Every page must be listed in the contents and in the project's file list, and
every link of the pages, the contents and the index (href, src, Local) must
name a file of the help, and an anchor of that page when it names one.

Usage: check_help.py HELP_DIR [FILE...]  where the FILEs are those the build
copies beside the pages (the window's picture)."""
import configparser
import html.parser
import os
import sys
import urllib.parse


class Links(html.parser.HTMLParser):
    """The anchors a page defines and the links it makes, with their lines."""

    def __init__(self):
        super().__init__()
        self.anchors = set()
        self.links = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("id", "name"):
            if name in attrs and not (tag == "param" or tag == "meta"):
                self.anchors.add(attrs[name])
        for name in ("href", "src"):
            if attrs.get(name) is not None:
                self.links.append((self.getpos()[0], attrs[name]))
        if tag == "param" and attrs.get("name", "").lower() == "local":
            self.links.append((self.getpos()[0], attrs.get("value") or ""))


def parse(path):
    parser = Links()
    with open(path, encoding="utf-8") as f:
        parser.feed(f.read())
    return parser


def project(path):
    """The files the .hhp names: its options' files and its [FILES] list."""
    config = configparser.ConfigParser(allow_no_value=True, delimiters=("=",), interpolation=None)
    config.optionxform = str
    with open(path, encoding="utf-8") as f:
        config.read_file(f)
    options = config["OPTIONS"]
    named = [options[key] for key in ("Contents file", "Index file", "Default topic")]
    return named, list(config["FILES"]) if config.has_section("FILES") else []


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = os.path.abspath(sys.argv[1])
    own = {name for name in os.listdir(root) if os.path.isfile(os.path.join(root, name))}
    files = own | {os.path.basename(extra) for extra in sys.argv[2:]}
    missing_extras = [extra for extra in sys.argv[2:] if not os.path.isfile(extra)]
    pages = sorted(name for name in own if name.endswith((".html", ".htm")))
    projects = [name for name in files if name.endswith(".hhp")]
    problems = [f"{extra}: the build copies it beside the pages, but it does not exist" for extra in missing_extras]
    if len(projects) != 1:
        sys.exit(f"{root}: one .hhp project expected, found {projects}")

    named, listed = project(os.path.join(root, projects[0]))
    contents, index = named[0], named[1]
    for name in named + listed:
        if name not in files:
            problems.append(f"{projects[0]}: names {name}, which is not in the help")
    for page in pages:
        if page not in listed:
            problems.append(f"{projects[0]}: [FILES] does not list {page}")

    parsed = {name: parse(os.path.join(root, name)) for name in pages + [contents, index] if name in files}

    def check(source, line, link):
        url = urllib.parse.urlsplit(link)
        if url.scheme or url.netloc:
            return  # outside the help
        target = urllib.parse.unquote(url.path) or source
        resolved = os.path.normpath(os.path.join(os.path.dirname(source), target))
        where = f"{source}:{line}: {link}"
        if resolved not in files:
            problems.append(f"{where}: no such file")
        elif url.fragment and (resolved not in parsed or url.fragment not in parsed[resolved].anchors):
            problems.append(f"{where}: no anchor #{url.fragment} in {resolved}")
        return resolved

    count = 0
    in_contents = set()
    for source, parser in parsed.items():
        for line, link in parser.links:
            count += 1
            resolved = check(source, line, link)
            if source == contents:
                in_contents.add(resolved)
    for page in pages:
        if page not in in_contents:
            problems.append(f"{page}: not reachable from the contents ({contents})")

    for problem in problems:
        print(problem)
    if problems:
        sys.exit(f"{len(problems)} problems in the help")
    print(f"{len(pages)} pages, {count} links: all resolve; every page is in the contents")


if __name__ == "__main__":
    main()
