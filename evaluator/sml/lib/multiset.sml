(* Multisets of tokens, timed multisets, model time and step, the binding
 * value constructors, and the top-level operators of inscriptions. *)

(* Structural equality of any two values of one type. Colour sets may hold
 * reals, which are no equality type, so multisets compare their elements
 * with this instead of =. *)
(* A stable merge sort: sort gt puts a before b unless gt (a, b). *)
structure TolqSort =
struct
  fun merge gt (xs, []) = xs
    | merge gt ([], ys) = ys
    | merge gt (x :: xs, y :: ys) =
        if gt (x, y) then y :: merge gt (x :: xs, ys) else x :: merge gt (xs, y :: ys)

  fun sort gt (l : 'a list) : 'a list =
      case l of
        [] => []
      | [_] => l
      | _ => let val half = length l div 2
             in merge gt (sort gt (List.take (l, half)), sort gt (List.drop (l, half))) end
end

structure TolqEq =
struct
  (* Compares the cells of the two values: short values and cells that are
   * the same compare equal; mutable cells (refs, arrays) only when they
   * are the same; byte cells (reals, strings, big integers, words) by their
   * bytes; other cells field by field. Code is never looked into. *)
  val mutableOrCode = 0wx42 : word
  val byteCell = 0wx01 : word

  fun objEq (a : 'x, b : 'x) : bool =
      if PolyML.pointerEq (a, b) then true
      else if RunCall.isShort a orelse RunCall.isShort b then false
      else
        let val flags = RunCall.memoryCellFlags a
            val n = RunCall.memoryCellLength a
            fun bytesEqual i =
                i >= n * 0w8 orelse
                ((RunCall.loadByte (a, i) : Word8.word) = RunCall.loadByte (b, i)
                 andalso bytesEqual (i + 0w1))
            fun fieldsEqual i =
                i >= n orelse (objEq (RunCall.loadWord (a, i), RunCall.loadWord (b, i))
                               andalso fieldsEqual (i + 0w1))
        in flags = RunCall.memoryCellFlags b andalso n = RunCall.memoryCellLength b
           andalso Word.andb (flags, mutableOrCode) = 0w0
           andalso (if Word.andb (flags, byteCell) <> 0w0 then bytesEqual 0w0 else fieldsEqual 0w0)
        end

  fun eq (a : 'a, b : 'a) : bool = objEq (a, b)
end

(* A small random generator of our own (the library's Random is not loaded). *)
structure TolqRandom =
struct
  val seed = ref (0w2463534242 : Word32.word)
  fun setSeed i = seed := (if i = 0 then 0w2463534242 else Word32.fromInt i)
  fun next () =
      let val x = !seed
          val x = Word32.xorb (x, Word32.<< (x, 0w13))
          val x = Word32.xorb (x, Word32.>> (x, 0w17))
          val x = Word32.xorb (x, Word32.<< (x, 0w5))
      in seed := x; x end
  (* A number from lo to hi, both included. *)
  fun int (lo : int, hi : int) : int =
      if hi <= lo then lo
      else let val span = Word32.fromInt (hi - lo + 1) handle Overflow => 0w0
           in if span = 0w0 then lo + Word32.toInt (Word32.andb (next (), 0wx3fffffff)) mod (hi - lo + 1)
              else lo + Word32.toInt (Word32.mod (next (), span))
           end
  fun intInf (lo : IntInf.int, hi : IntInf.int) : IntInf.int =
      if IntInf.<= (hi, lo) then lo
      else IntInf.+ (lo, IntInf.mod (IntInf.fromLarge (Word32.toLargeInt (next ())),
                                     IntInf.+ (IntInf.- (hi, lo), 1)))
  fun real (lo : real, hi : real) : real =
      lo + (hi - lo) * (Real.fromLargeInt (Word32.toLargeInt (next ())) / 4294967296.0)
  fun pick (l : 'a list) : 'a =
      case l of [] => raise Empty | _ => List.nth (l, int (0, length l - 1))
end

(* Multisets: each distinct value with its count, in order of first arrival.
 * Timed multisets: tokens with their time stamps. *)
structure TolqMS =
struct
  datatype 'a ms = MS of ('a * int) list
  datatype 'a tms = TMS of ('a * IntInf.int) list

  exception NegativeCoefficient of int
  (* A subtraction of tokens that are not there. *)
  exception NotIncluded

  val empty = MS []
  val tempty = TMS []

  fun add1 ((v, n), l) =
      let fun go [] = [(v, n)]
            | go ((w, k) :: rest) = if TolqEq.eq (v, w) then (w, k + n) :: rest else (w, k) :: go rest
      in if n = 0 then l else go l end

  fun coef (n : int, v : 'a) : 'a ms =
      if n < 0 then raise NegativeCoefficient n else if n = 0 then MS [] else MS [(v, n)]

  fun sum (MS a, MS b) = MS (List.foldl (fn (p, acc) => add1 (p, acc)) a b)

  fun count (MS l, v) =
      case List.find (fn (w, _) => TolqEq.eq (v, w)) l of SOME (_, k) => k | NONE => 0

  fun leq (MS a, b) = List.all (fn (v, n) => n <= count (b, v)) a

  fun sub (MS a, MS b) =
      let fun take ((v, n), l) =
              let fun go [] = raise NotIncluded
                    | go ((w, k) :: rest) =
                        if TolqEq.eq (v, w) then
                          (if k < n then raise NotIncluded
                           else if k = n then rest else (w, k - n) :: rest)
                        else (w, k) :: go rest
              in go l end
      in MS (List.foldl take a b) end

  fun size (MS l) = List.foldl (fn ((_, n), s) => s + n) 0 l

  fun toList (MS l) = List.concat (map (fn (v, n) => List.tabulate (n, fn _ => v)) l)
  fun pairs (MS l) = l

  (* timed *)
  fun tsum (TMS a, TMS b) = TMS (a @ b)
  fun tsize (TMS l) = length l
  fun strip (TMS l) = List.foldl (fn ((v, _), acc) => sum (acc, MS [(v, 1)])) (MS []) l
  fun stamp (MS l, t : IntInf.int) =
      TMS (List.concat (map (fn (v, n) => List.tabulate (n, fn _ => (v, t))) l))
  (* Removes tokens of the values of m, earliest time stamps first. *)
  fun tsub (TMS a, TMS b) =
      let fun earlier ((_, s), (_, t)) = IntInf.< (s, t)
          fun take ((v, _), l) =
              let val (same, other) = List.partition (fn (w, _) => TolqEq.eq (v, w)) l
              in case TolqSort.sort (fn (x, y) => earlier (y, x)) same of
                   [] => raise NotIncluded
                 | _ :: rest => other @ rest
              end
      in TMS (List.foldl take a b) end
  fun tpairs (TMS l) = l

  (* The marking text: an ML multiset expression that reads back as the same
   * multiset. Values whose text would not stand alone after ` are put in
   * parentheses. *)
  fun atomic text =
      text <> "" andalso String.sub (text, 0) <> #"~"
      andalso not (CharVector.exists (fn c => c = #" ") text)
  fun wrap text = if atomic text then text else "(" ^ text ^ ")"
  fun text (mk : 'a -> string) (MS l) =
      case l of
        [] => "empty"
      | _ => String.concatWith "++" (map (fn (v, n) => Int.toString n ^ "`" ^ wrap (mk v)) l)
  fun ttext (mk : 'a -> string) (TMS l) =
      case l of
        [] => "tempty"
      | _ => String.concatWith "+++"
               (map (fn (v, t) => "(1`" ^ wrap (mk v) ^ "@" ^ IntInf.toString t ^ ")") l)
end

type 'a ms = 'a TolqMS.ms
type 'a tms = 'a TolqMS.tms
datatype 'a bv = $ of 'a | $$
type TIME = IntInf.int

(* The simulator's options, model time and steps; tolq sets them through
 * these refs (as members of TOLQ'Sim). *)
structure TolqSimState =
struct
  val WithTime = ref false
  val PrintTime = ref false
  val TimeFair = ref true
  val WithCode = ref true
  val Feedback = ref false
  val BindFeedback = ref false
  (* stop criteria *)
  val NoLimit = ref true
  val AddSteps = ref false
  val UntilStepNo = ref false
  val AddTime = ref false
  val UntilTime = ref false
  val UntilTimeAdv = ref false
  val AddStepsVal = ref 0
  val UntilStepNoVal = ref 0
  val IntAddTimeVal = ref (0 : IntInf.int)
  val IntUntilTimeVal = ref (0 : IntInf.int)
  (* time advanced since the step counters were reset *)
  val IntTimeInc = ref (0 : IntInf.int)
  (* choices for the automatic run's code *)
  val GenWithTime = ref false
  val GenBothWithTime = ref false
  val GenWithCode = ref true
  val GenBothWithCode = ref false
  (* bindings are enumerated in random order while set *)
  val Fair = ref true
  val CurStep = ref 0
  val LocStep = ref 0
end
val TOLQ'ModelTime = ref (0 : IntInf.int)
val TOLQ'CreationTime = ref (0 : IntInf.int)
fun time () : TIME = !TOLQ'ModelTime
fun step () : int = !TolqSimState.CurStep
fun with_time () = !TolqSimState.WithTime
fun with_code () = !TolqSimState.WithCode
val first'TIME : TIME = 0
fun lte'TIME (a : TIME, b : TIME) = IntInf.<= (a, b)
fun mkst_col'TIME (t : TIME) = "(clock (\"" ^ IntInf.toString t ^ "\"))"
fun mkst_col'TIME' (t : TIME) = IntInf.toString t
(* Reads a model time back from the text of mkst_col'TIME. *)
fun clock (s : string) : TIME =
    case IntInf.fromString s of SOME t => t | NONE => raise Fail ("not a time: " ^ s)

(* The base time of time stamps made by @+: the time at which an arc
 * expression's tokens are produced. *)
val TOLQ'basetime : TIME option ref = ref NONE

val empty = TolqMS.empty
val tempty = TolqMS.tempty
infixr 5 `
infix 4 ++ +++
infix 3 <<= @+ %
fun n ` v = TolqMS.coef (n, v)
val op ++ = TolqMS.sum
val op +++ = TolqMS.tsum
val op <<= = TolqMS.leq
(* List append, since @ stamps tokens with an absolute time. *)
infixr 5 ^^
fun a ^^ b = List.@ (a, b)
infix 3 @
fun m @ (t : int) = TolqMS.stamp (m, IntInf.fromInt t)
fun m @+ (d : int) = TolqMS.stamp (m, IntInf.+ (getOpt (!TOLQ'basetime, time ()), IntInf.fromInt d))
(* A guarded arc expression: the multiset when every guard holds. *)
fun (guards : bool list) % (m : 'a ms) : 'a ms = if List.all (fn b => b) guards then m else empty
val striptime = TolqMS.strip
val TOLQ''add = TolqMS.sum
val TOLQ''sub = TolqMS.sub
val TOLQ'''add = TolqMS.tsum
val TOLQ'''sub = TolqMS.tsub
val TOLQ'size = TolqMS.size
structure TOLQ'timeop = struct val tms'size = TolqMS.tsize end
fun TOLQ'BLTB (l : bool list) = List.all (fn b => b) l
exception TOLQ'Unbound
