// The guides (docs/<program>.md) as pages of the site, and a page of examples
// for each program, made at build time:
//
//   guides/<program>.html     a guide; every sample has a button that opens it
//                             (with its input) in the playground
//   examples/index.html       the programs' example pages
//   examples/<program>/index.html  the examples, each with its button
//
// A sample is what the docs tests run: a fenced block whose info is a
// program's name, an optional block "input" after it, then a block "output"
// (docs/README.md tells writers; tests/docs/extract_samples.awk runs them).
// The guides' relative links are turned into links of the site: another
// guide's .md is its page, ../examples/<program>/ its examples page, and an
// example's file opens that example in the playground. A relative link to
// anything else stops the build.

import MarkdownIt from 'markdown-it';

const escape = (text) => text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' }[c]));

// The anchor a heading gets, as GitHub makes it (and tests/docs/md_links.awk
// checks): the text without code marks and link targets, in lower case, with
// only letters, digits, "-", "_" and blanks (which become "-") kept.
export function slug(text) {
  return text.replace(/`/g, '').replace(/\[([^\]]*)\]\([^)]*\)/g, '$1').toLowerCase()
    .replace(/[^a-z0-9_\- \u0080-\uffff]/g, '').replace(/ /g, '-');
}

// The playground's address (relative to a page `depth` folders down) that
// opens a program, or an example by name.
function playgroundLink(depth, params) {
  return `${'../'.repeat(depth)}index.html#${new URLSearchParams(params)}`;
}

function page(title, depth, body) {
  const up = '../'.repeat(depth);
  return `<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>${escape(title)}</title>
<link rel="stylesheet" href="${up}style.css">
<link rel="icon" href="data:,">
</head>
<body class="doc">
<header><a href="${up}index.html">Playground</a> · <a href="${up}guides/plimbo.html">plimbo guide</a> · <a href="${up}guides/m4t4.html">m4t4 guide</a> · <a href="${up}guides/vexa.html">vexa guide</a> · <a href="${up}examples/index.html">examples</a></header>
<main>
${body}
</main>
</body>
</html>
`;
}

// Renders the guide `markdown` of `program`. `guides`: the names of the
// guides that have pages; `examples`: program -> its examples ({ name, file }).
export function renderGuide(markdown, { guides, examples }) {
  const md = new MarkdownIt({ html: false, linkify: false, typographer: false });
  const tokens = md.parse(markdown, {});

  // Samples, paired as the docs tests pair them: each program block with the
  // input block that follows it, if the next fenced block is one.
  const fences = tokens.filter((t) => t.type === 'fence');
  fences.forEach((fence, i) => {
    const info = fence.info.trim();
    if (!Object.hasOwn(examples, info)) return;
    const next = fences[i + 1];
    const text = (t) => (t.content.endsWith('\n') ? t.content : `${t.content}\n`);
    fence.meta = { sample: { program: info, line: fence.map[0] + 1, source: text(fence),
      input: next && next.info.trim() === 'input' ? text(next) : '' } };
  });

  const seen = new Map(); // slug -> times used, for "-1", "-2", ...
  md.renderer.rules.heading_open = (all, i) => {
    let id = slug(all[i + 1].content);
    if (seen.has(id)) { seen.set(id, seen.get(id) + 1); id = `${id}-${seen.get(id)}`; } else seen.set(id, 0);
    return `<${all[i].tag} id="${escape(id)}">`;
  };
  const defaultLink = md.renderer.rules.link_open || ((all, i, options, env, self) => self.renderToken(all, i, options));
  md.renderer.rules.link_open = (all, i, options, env, self) => {
    const href = all[i].attrGet('href');
    all[i].attrSet('href', siteLink(href, { guides, examples }));
    return defaultLink(all, i, options, env, self);
  };
  const defaultFence = md.renderer.rules.fence;
  md.renderer.rules.fence = (all, i, options, env, self) => {
    const block = defaultFence(all, i, options, env, self);
    const sample = all[i].meta && all[i].meta.sample;
    if (!sample) return block;
    const params = { lang: sample.program, src: sample.source };
    if (sample.input && sample.program !== 'vexa') params.in = sample.input;
    return `<div class="sample"><a class="sample-run" data-line="${sample.line}" href="${escape(playgroundLink(1, params))}"`
      + ` title="Open this sample${sample.input ? ' and its input' : ''} in the playground">Open in playground</a>\n${block}</div>\n`;
  };

  const body = md.renderer.render(tokens, md.options, {});
  const heading = tokens.find((t) => t.type === 'inline' && tokens[tokens.indexOf(t) - 1].tag === 'h1');
  return { html: body, title: heading ? heading.content : 'Guide', samples: fences.filter((f) => f.meta).length };
}

// A guide's link as a link of the site (guides live in guides/).
function siteLink(href, { guides, examples }) {
  if (/^[a-z][a-z0-9+.-]*:/i.test(href) || href.startsWith('#')) return href;
  const [target, fragment] = href.split('#');
  const anchor = fragment === undefined ? '' : `#${fragment}`;
  const guide = target.match(/^([a-z0-9]+)\.md$/);
  if (guide && guides.includes(guide[1])) return `${guide[1]}.html${anchor}`;
  if (target === '../examples/') return `../examples/index.html${anchor}`;
  const folder = target.match(/^\.\.\/examples\/([a-z0-9]+)\/$/);
  if (folder && Object.hasOwn(examples, folder[1])) return `../examples/${folder[1]}/index.html${anchor}`;
  const file = target.match(/^\.\.\/examples\/([a-z0-9]+)\/([^/]+)$/);
  if (file && Object.hasOwn(examples, file[1])) {
    const example = examples[file[1]].find((e) => e.file.endsWith(`/${file[1]}/${file[2]}`));
    if (example) return playgroundLink(1, { lang: file[1], example: example.name });
  }
  throw new Error(`a guide links to ${href}, which the site does not have`);
}

export function guidePage(rendered) {
  return page(rendered.title, 1, rendered.html);
}

// The examples of every program: one page each, and one that lists them.
export function examplePages(examples) {
  const pages = {};
  const programs = Object.keys(examples);
  pages['examples/index.html'] = page('Examples', 1, `<h1>Examples</h1>\n<ul>\n${programs.map((p) =>
    `<li><a href="${p}/index.html">${p}</a>: ${examples[p].length} examples (see also the <a href="../guides/${p}.html">${p} guide</a>)</li>`).join('\n')}\n</ul>`);
  for (const program of programs) {
    const list = examples[program].map((e) => {
      const input = e.input ? `<p>Standard input:</p>\n<pre><code>${escape(e.input)}</code></pre>\n` : '';
      return `<h2 id="${escape(e.name)}">${escape(e.name)}</h2>\n<div class="sample"><a class="sample-run" href="${
        escape(playgroundLink(2, { lang: program, example: e.name }))}">Open in playground</a>\n<pre><code>${
        escape(e.source)}</code></pre></div>\n${input}`;
    }).join('\n');
    pages[`examples/${program}/index.html`] = page(`${program} examples`, 2,
      `<h1>${program} examples</h1>\n<p>Each opens in the playground, with its input, to be run and changed.</p>\n${list}`);
  }
  return pages;
}
