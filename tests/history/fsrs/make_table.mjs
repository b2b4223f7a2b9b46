// Writes fsrs_reviews.tsv, the review sequences that fsrs_test.cpp replays: an independent
// FSRS-6 (npm's ts-fsrs with its default weights, desired retention 0.90, no fuzz, no learning
// steps, so every interval is whole days) rates each review. Not part of the build; run it by
// hand where ts-fsrs is installed:
//   npm install --prefix /tmp/fsrs ts-fsrs
//   NODE_PATH=/tmp/fsrs/node_modules node tests/history/fsrs/make_table.mjs > tests/history/fsrs/fsrs_reviews.tsv
import { createRequire } from 'node:module';
import process from 'node:process';

const require = createRequire(process.env.NODE_PATH + '/');
const { fsrs, generatorParameters, createEmptyCard } = require('ts-fsrs');

const scheduler = fsrs(generatorParameters({
  request_retention: 0.9,
  enable_fuzz: false,
  enable_short_term: true,
  learning_steps: [],
  relearning_steps: [],
}));

// A fixed pseudo-random sequence, so the table is the same on every run.
let seed = 20261207;
function next(n) {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return Math.floor((seed / 2147483648) * n);
}

const day = 86400000;
const start = Date.UTC(2026, 0, 1, 12);
console.log('# card\tstep\telapsed_days\trating\tstability\tdifficulty\tinterval_days');
for (let card = 1; card <= 60; ++card) {
  let state = createEmptyCard(new Date(start));
  let today = 0;
  let interval = 0;
  const steps = 4 + next(9);
  for (let step = 1; step <= steps; ++step) {
    let elapsed = 0;
    if (step > 1) {
      // On the day it is due, early, late, much later, or again the same day.
      const when = next(6);
      elapsed = [interval, Math.floor(interval / 2), interval * 2, interval * 5 + 3, 0, 1][when];
    }
    today += elapsed;
    // Mostly Good, often Again or Hard, now and then Easy.
    const rating = [1, 1, 2, 2, 3, 3, 3, 3, 4][next(9)];
    const result = scheduler.next(state, new Date(start + today * day), rating);
    state = result.card;
    interval = state.scheduled_days;
    console.log([card, step, step > 1 ? elapsed : '-', rating, state.stability,
                 state.difficulty, interval].join('\t'));
  }
}
