// The extension's texts: every language has every message, and the manifests name only messages
// that exist, so no browser shows a placeholder or an empty menu line.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

const extension = path.join(path.dirname(fileURLToPath(import.meta.url)), '../../bridge/extension');
const read = (file) => JSON.parse(fs.readFileSync(path.join(extension, file), 'utf8'));
const languages = fs.readdirSync(path.join(extension, '_locales'));
const messagesOf = (language) => read(`_locales/${language}/messages.json`);

test('English and Japanese carry the same messages, none of them empty', () => {
  assert.deepEqual([...languages].sort(), ['en', 'ja']);
  const names = Object.keys(messagesOf('en')).sort();
  for (const language of languages) {
    const messages = messagesOf(language);
    assert.deepEqual(Object.keys(messages).sort(), names, language);
    for (const name of names)
      assert.ok(messages[name].message.trim(), `${language}: ${name} is empty`);
  }
});

test('the manifests name only messages there are, and fall back to English', () => {
  const english = messagesOf('en');
  for (const browser of ['chromium', 'firefox']) {
    const manifest = read(`manifest.${browser}.json`);
    assert.equal(manifest.default_locale, 'en', browser);
    for (const [, name] of JSON.stringify(manifest).matchAll(/__MSG_(\w+)__/g))
      assert.ok(english[name], `${browser} names the missing message ${name}`);
  }
});

test('the set-up line names the command that installs the host in every language', () => {
  for (const language of languages)
    assert.match(messagesOf(language).hostMissing.message, /quillbrook-bridge --install/, language);
});
